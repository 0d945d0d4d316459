// The BIN file procedures: the integrity check of a whole file, and the error
// BIN file beside it, to which the walk appends one marker per faulty element.
#pragma once

#include <cstdint>
#include <string>

#include "core/Estado.h"
#include "ficherobin/FicheroBinario.h"

namespace pelmora {

// Checks that NombreFicheroBin is a sequence of sound elements, with the busy pointer
// shown meanwhile. A corrupt file throws ficheroCorrupto() (Elemento.h); a missing or
// unreadable file throws ErrorFichero.
void ChequeaFicheroBin(Estado& estado);

// The error BIN file of a BIN path: the path without its last four characters, then
// "_err.bin". A path shorter than four characters is an error.
std::string NombreFicheroErrorBin(const std::string& RutaBin);

// How a run uses the error BIN file: Correlate starts it anew (one an earlier run
// left is removed), Adaptation appends to it.
enum class UsoErrores { Nuevo, Anadido };

// Checks, writing nothing, that a run can use the error BIN file of `RutaBin` as
// `uso` says: one an earlier run left is a regular file (to start anew, a link is
// fine too, as only the link goes) not marked read-only, and where there is none
// (or it goes), its folder takes new files. Throws ErrorFichero naming the file.
void CompruebaFicheroErrores(const std::string& RutaBin, UsoErrores uso = UsoErrores::Nuevo);
// Removes the error BIN file an earlier run left, if any.
void BorraFicheroErrores(const std::string& RutaBin);

// Appends to the error BIN file of `RutaBin` a 72-byte marker for the element that
// starts at `Posicion` of `bin` (the open BIN file), with the error code `Codigo`
// ("61601", "61603") in its feature code. `bin`'s position is left where it was.
void EscribeErrorBin(FicheroBinario& bin, const std::string& RutaBin, int64_t Posicion,
                     const std::string& Codigo);

// Trims the spaces around `Texto` and pads it with NULs to 7 characters when it has
// 6 or fewer; a longer text is left as it is.
void RellenaTexto(std::string& Texto);

}  // namespace pelmora
