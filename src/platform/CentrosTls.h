#pragma once

#include <QString>

// The record of centres that have completed TLS (host and port, one
// "host port" line each). Once there, a centre is never logged into again
// without TLS, so a refused AUTH cannot hand the password over in clear.
namespace korva::centrosTls {

// A record that exists but cannot be read names every centre: the program
// cannot tell, and a refusal is safer than a password in clear.
bool recordado(const QString& archivo, const QString& host, int puerto);
// Adds the centre, rewriting the record atomically; true when it is there.
bool recuerda(const QString& archivo, const QString& host, int puerto);

} // namespace korva::centrosTls
