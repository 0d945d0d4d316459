// The element walk: every element of a BIN file, its ATRs checked for a missing
// or repeated link and resolved against the databases, as the run kind asks
// (Correlate marks the records reached, Adaptation rewrites each ATR's mslink).
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

class BinAdaptado;

// Walks the BIN file at `RutaBin` (the runs pass NombreFicheroBin), with the busy
// pointer shown meanwhile; the file is only read. Problems are counted in the
// state's counters, logged in ERRORES through AnotaError and, for elements, marked
// in the error BIN file. The Adaptation run notes each new link in `adaptado`;
// without one, the walk puts its adapted copy in the file's place itself.
// Ends the program (FinPrograma) on a corrupt file and, in the Adaptation run, on
// an ATR that cannot be adapted.
void RecorreFicheroBin(Estado& estado, const std::string& RutaBin, BinAdaptado* adaptado = nullptr);

}  // namespace pelmora
