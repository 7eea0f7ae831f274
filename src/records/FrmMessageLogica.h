#pragma once

#include <QString>
#include <QStringList>

namespace korva {

// What the self-closing error window shows and when it closes, one call per
// tick of its one-second timer. The code arrives after the window is shown,
// so the labels are filled on the first tick and never again.
class FrmMessageLogica {
public:
    static constexpr int kTicks = 20;
    // Failure reports listed one by one; the rest are counted.
    static constexpr int kFallasVisibles = 8;

    qint32 Temp = 0;
    QString LblErrorCve;
    QString LblError;

    const QString& titulo() const { return titulo_; }
    int contador() const { return contador_; }

    // One tick; false when the window must close now.
    bool tick();

    // A failure of the program's own file work, listed under the error's
    // text once. It arrives at any time and must be read, so an open window
    // shows it at once and counts its time again.
    void agregaFalla(const QString& texto);

private:
    void llena();

    int contador_ = 0;
    QStringList fallas_;
    QString titulo_ = QStringLiteral("KORVA Centro de Prevalidación");
};

} // namespace korva
