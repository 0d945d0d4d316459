// The checks of the catalog's tables before a run touches their records: every
// table MsCatalog lists exists under a name without spaces, and carries the
// columns that the later steps read.
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

// For each CatalogoParticular entry: no space in its name, and the table exists.
void ChequeaNombresTablas(Estado& estado);
// Returns only if a table of that name (any letter case) is in BdDParticular; the
// name arrives upper-cased. A table passed on the way with a space in its name
// also ends the program.
void ChequeaExistenciaTabla(Estado& estado, const std::string& tabla);
// ChequeaCamposTabla for each catalog entry but MSCATALOG, FEATURE and CATEGORY.
void ChequeaEstructuraTablas(Estado& estado);
// Returns only if the table has mslink, clasific, tmapa, tcomplet and tfeature
// (clasific is not required of 199ETIQUETAS and MAPS); otherwise shows one
// message per missing column and ends the program.
void ChequeaCamposTabla(Estado& estado, const std::string& tabla);

}  // namespace pelmora
