// What the runs share around the log tables and the window's count lines: the
// control row of a run, and the seven error counters reset and shown.
#pragma once

#include <array>

#include "core/Estado.h"

namespace pelmora {

// The seven error counters in the order the run windows show them: the label
// that shows each, its fixed text and the counter's name in Estado.
struct Contador {
    const char* etiqueta;
    const char* texto;
    const char* nombre;
    int32_t Estado::*campo;
};
extern const std::array<Contador, 7> kContadores;

// The ERRORES rows a run's walk may write, each naming the Particular database:
// none (Fusion), rows naming the BIN file (Correlate), rows naming the BIN file or
// the General database (Adaptation).
enum class FilasError { Ninguna, Correlate, Adaptacion };

// Checks, before anything is written, that the paths the run's control row and
// ERRORES rows hold fit their columns in the Particular database's log tables
// that exist already (TablasControl.h); BdDParticular is open.
void CompruebaRutasRegistrables(Estado& estado, FilasError filas);

// Fills DatosControl with `Proceso` and the three input paths (an input not given
// is the empty text) and appends it to ControlFicherosProcesados of BdDParticular.
void RegistraProceso(Estado& estado, const char* Proceso);

// Sets the seven error counters to 0.
void PonContadoresACero(Estado& estado);

// Sets the count lines Label7 to Label13: each fixed text followed directly by its
// counter in plain decimal, in the counters' order.
void MuestraContadores(Estado& estado);

}  // namespace pelmora
