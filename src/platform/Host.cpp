#include "platform/Host.h"

#include <QHostInfo>
#include <QNetworkInterface>

namespace korva::host {

QString nombre() { return QHostInfo::localHostName(); }

QString direccion() {
    const auto ifs = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& i : ifs) {
        const auto f = i.flags();
        if (!(f & QNetworkInterface::IsUp) || !(f & QNetworkInterface::IsRunning) ||
            (f & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
                return a.toString();
        }
    }
    return {};
}

} // namespace korva::host
