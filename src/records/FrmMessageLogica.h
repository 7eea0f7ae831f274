#pragma once

#include <QString>

namespace korva {

// What the self-closing error window shows and when it closes, one call per
// tick of its one-second timer. The code arrives after the window is shown,
// so the labels are filled on the first tick and never again.
class FrmMessageLogica {
public:
    static constexpr int kTicks = 20;

    qint32 Temp = 0;
    QString LblErrorCve;
    QString LblError;

    const QString& titulo() const { return titulo_; }
    int contador() const { return contador_; }

    // One tick; false when the window must close now.
    bool tick();

private:
    int contador_ = 0;
    QString titulo_ = QStringLiteral("KORVA Centro de Prevalidación");
};

} // namespace korva
