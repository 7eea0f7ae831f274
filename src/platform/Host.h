#pragma once

#include <QString>

namespace korva::host {

// The computer's network name.
QString nombre();
// First IPv4 address of an interface that is up and not loopback; empty
// when there is none. (Resolving the host name answers 127.0.0.1 here.)
QString direccion();

} // namespace korva::host
