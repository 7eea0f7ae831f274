#pragma once

#include <QDateTime>
#include <QDir>
#include <QString>

#include "comun/EstadoPrincipal.h"

// The one office the tests, the benchmarks and the fuzz targets work in:
// patent 4321 (user "a4321"), its send folder "env" and receive folder "rec"
// under a folder of the caller's, folios 001 to 500, today being day 45.
// Header only and free of the test library, so benchmarks and fuzz targets
// share it.
namespace korva::oficina {

inline const QString kUsuario = QStringLiteral("a4321");
inline const QString kPatente = QStringLiteral("4321");
inline constexpr qint16 kDia = 45;
// Day 45 in the afternoon, for the scripted clocks.
inline QDateTime hoy() { return QDateTime(QDate(2026, 2, 14), QTime(14, 3, 7)); }

struct Carpetas {
    QString envio, recibo;
};

// Writes the office into the run's state, its folders made under `raiz`.
inline Carpetas describe(EstadoPrincipal& st, const QString& raiz) {
    const QDir d(raiz);
    const Carpetas c{d.filePath(QStringLiteral("env")), d.filePath(QStringLiteral("rec"))};
    QDir().mkpath(c.envio);
    QDir().mkpath(c.recibo);
    st.config().setSlot(slot::Usuario, kUsuario);
    st.config().setSlot(slot::DirEnvio, c.envio);
    st.config().setSlot(slot::DirRecibo, c.recibo);
    st.config().setSlot(slot::FolioInferior, QStringLiteral("001"));
    st.config().setSlot(slot::FolioSuperior, QStringLiteral("500"));
    st.ciclo().setDiaJulianoActual(kDia);
    return c;
}

} // namespace korva::oficina
