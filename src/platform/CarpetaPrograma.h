#pragma once

#include <QString>

namespace korva {

// Where usuarios.dat, the configuration files and their backups live: the
// per-user data folder (XDG_DATA_HOME/KORVAVal) on POSIX, the executable's
// folder on Windows. Created when missing.
QString carpetaPrograma();

// Where the signature library is: beside the executable in the build tree,
// its private folder under the library folder beside bin/ once installed.
QString carpetaBibliotecas();

} // namespace korva
