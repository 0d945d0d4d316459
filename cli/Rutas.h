// The names of files and databases the command lines take: a path made absolute
// and normal, so that worker processes and records see the same one; a server
// address kept as it is, without its password (the engine keeps it apart).
#pragma once

#include <string>

namespace pelmora {

std::string RutaAbsoluta(const std::string& ruta);

}  // namespace pelmora
