// Takes a delivery's sheets through the runs asked for on up to N workers:
// Correlate on several sheets at once; the merges one at a time in the delivery's
// order, each as soon as its sheet is correlated (a merge writes the General
// database and its own Particular one, which no Correlate of another sheet reads,
// so the General database ends as merged one after another by hand); Adaptation
// on several sheets at once once every merge has ended. A sheet goes to a run only
// when every earlier run of it ended. Ctrl-C once lets the runs under way end and
// starts no other; twice, those runs give up at their next step; three times,
// they are ended at once (every write of the runs lands whole or not at all).
#pragma once

#include "lote/Resultados.h"
#include "lote/Seguimiento.h"
#include "runs/Procesos.h"

namespace pelmora::lote {

struct Planificacion {
    std::vector<Opcion> procesos;  // in their order
    int paralelo = 1;              // workers
    bool si = false;               // the name question answered Yes
    bool sinErrores = false;       // the workers' error output dropped
};

// Runs the batch on `lote.hojas` (each with a slot for every run asked for) into
// `lote.general`, filling in the results.
void ejecutaLote(const Planificacion& plan, const Procesos& procesos, ResultadoLote& lote,
                 Seguimiento& seguimiento);

}  // namespace pelmora::lote
