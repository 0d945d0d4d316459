// Writing the sheet's Particular and General databases through the engine.
#pragma once

#include <string>

#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {

// Creates the database at `ruta` (SQLite, or a copy of the empty Access template) and
// writes the catalog tables and every user table of the Particular or General side.
void escribeBaseDeDatos(const Hoja& hoja, bool general, const std::string& ruta);

}  // namespace pelmora::hoja
