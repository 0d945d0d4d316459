// A delivery of sample sheets for the batch: several sheets in one folder that
// share one General database, and entrega.json, which lists them with the counts
// their Correlate run must give.
#pragma once

#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {

// Writes `hojas` sheets named <nombre>001, <nombre>002, ... (each its BIN file and
// its Particular database, planned with the seed plus its number less one; every
// third sheet carries the problems of a single sheet, unless there are none), the
// General database <nombre>_general of the first sheet's plan, and entrega.json
// last. Files of an earlier delivery are refused unless o.reemplaza; on a failure
// the files written are removed.
void escribeEntrega(const Opciones& o, int hojas);

}  // namespace pelmora::hoja
