#pragma once

#include <QStringList>

namespace korva {

struct Contexto;

// The broker's manual choice of the files to send: the modal selection over
// the sending step's list. On return the list holds exactly the names to
// send. A port of its own, so the sending step asks it and tests script it.
class SeleccionEnvio {
public:
    virtual ~SeleccionEnvio() = default;
    virtual void elige(Contexto& ctx, QStringList& LstSendFiles) = 0;
};

} // namespace korva
