// Opening the databases of a run: both handles with no check, or the main
// handle with every check a run needs before it touches the records.
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

// Opens the first path into BdDGeneral, then the second into BdDParticular.
void AbreBdDGeneralYParticular(Estado& estado, const std::string& rutaGeneral,
                               const std::string& rutaParticular);

// Ensures the log tables of the open BdDParticular, requires and loads its catalog
// tables and checks the catalog's table names and structures. A failed check ends
// the program, so a return means the database passed.
void ChequeaBdD(Estado& estado);

// Opens the path into BdDParticular, then ChequeaBdD.
void AbreYChequeaBdD(Estado& estado, const std::string& ruta);

}  // namespace pelmora
