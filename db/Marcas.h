// The correlation marks: the yes/no column Tcorrelate of every catalog table,
// created where missing and set to false on every record before a Correlate
// run's walk marks the records its elements reach.
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

// PreparaTcorrelateTabla for each CatalogoParticular entry but FEATURE, MSCATALOG
// and CATEGORY, in catalog order. The path is not used: the work is on
// BdDParticular and the catalog in memory.
void PreparaTcorrelate(Estado& estado, const std::string& NombreBdDParticular);

// Sets Tcorrelate to false on every record of the table, or adds the column
// "tcorrelate" (yes/no, default false) where the table lacks it.
void PreparaTcorrelateTabla(Estado& estado, const std::string& tabla);

}  // namespace pelmora
