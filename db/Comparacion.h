// Whether the General and the Particular catalogs in memory list the same
// tables under the same entity numbers; the first difference is shown.
#pragma once

#include "core/Estado.h"

namespace pelmora {

// True when every entry of each catalog has an equal entry (name, letter case
// included, and entity number) in the other and both have as many entries.
// On the first difference shows its one message and returns false.
bool ComparaTablasBdD(Estado& estado);

}  // namespace pelmora
