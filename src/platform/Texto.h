#pragma once

#include <QCoreApplication>

namespace korva {

// Every text the broker reads goes through Qt's translation, Spanish its
// source text word for word: a later translation needs no change in the
// code (lupdate finds the Texto::tr calls).
struct Texto {
    Q_DECLARE_TR_FUNCTIONS(KORVAVal)
};

} // namespace korva
