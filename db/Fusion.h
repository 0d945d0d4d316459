// The merge of the Particular database into the General one: every record the
// last Correlate run marked gets an equivalent record in the same General table,
// appended under a fresh mslink where the table lacks one.
#pragma once

#include "core/Estado.h"

namespace pelmora {

// Merges each CatalogoParticular table but CATEGORY, FEATURE, MAPS and MSCATALOG,
// in catalog order, from BdDParticular into BdDGeneral.
void FusionaBdD(Estado& estado);

}  // namespace pelmora
