// What "Procesar" decides before a run window opens, kept apart from the widgets
// so the command line shares it: the inputs each run needs, the name check of the
// BIN file against the Particular database, and the run kind TipoProceso.
#pragma once

#include <string>

#include "core/Estado.h"
#include "runs/Procesos.h"

namespace pelmora {

enum class Opcion { Correlate, Fusion, Adaptacion };

// "CORRELATE", "FUSION" or "ADAPTACION".
const char* TipoProcesoDe(Opcion opcion);
const Proceso& ProcesoDe(const Procesos& procesos, Opcion opcion);

// A path without its extension (the dot and what follows it in the file name),
// upper-cased: "D:\Hojas\H123.bin" gives "D:\HOJAS\H123".
std::string NombreSinExtension(const std::string& ruta);

// True when the BIN file and the Particular database share their name.
bool CoincidenNombres(const std::string& bin, const std::string& particular);

// The checks of "Procesar" in their order: the inputs the run needs (a missing
// one stops silently), then for Correlate and Adaptation the name check, whose
// question goes through estado.pantalla (No stops). When all pass, sets
// TipoProceso and returns true.
bool PreparaProceso(Opcion opcion, Estado& estado);

}  // namespace pelmora
