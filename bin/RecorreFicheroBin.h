// The element walk: every element of a BIN file, its ATRs checked for a missing
// or repeated link and resolved against the databases, as the run kind asks
// (Correlate marks the records reached, Adaptation rewrites each ATR's mslink).
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

// Walks the BIN file at `RutaBin` (the runs pass NombreFicheroBin), with the busy
// pointer shown meanwhile. Problems are counted in the state's counters, logged in
// ERRORES through AnotaError and, for elements, marked in the error BIN file. Ends
// the program (FinPrograma) on a corrupt file and, in the Adaptation run, on an
// ATR that cannot be adapted.
void RecorreFicheroBin(Estado& estado, const std::string& RutaBin);

}  // namespace pelmora
