// Where an element of a BIN file lies, measured from its header: the one rule
// that the integrity check and the element walk share, so that both treat the
// same files as corrupt.
#pragma once

#include <cstdint>
#include <optional>

#include "core/FinPrograma.h"
#include "ficherobin/FicheroBinario.h"
#include "ficherobin/Modulo_tipo.h"

namespace pelmora {

// An element's place in the file, in bytes from the file's first byte.
struct ExtensionElemento {
    int64_t inicio = 0;     // its header
    int64_t atributos = 0;  // its first ATR (after header, block and body)
    int64_t siguiente = 0;  // the byte after its last ATR: where the next element begins
};

// The extent of the element whose header `cabecera` starts at `inicio` in a file of
// `longitud` bytes; nothing when it cannot be a sound element: a header that does not fit
// in the file, a kind whose first character is neither "C" nor "T", a negative
// NumRegistros, or counts that reach past the end of the file.
std::optional<ExtensionElemento> mideElemento(const CabeceraElemento& cabecera, int64_t inicio,
                                              int64_t longitud);

// Reads the header at the file's position into `cabecera` and returns the element's
// extent; the position is left just after the header. Throws ficheroCorrupto() when
// mideElemento finds no sound element there.
ExtensionElemento leeElemento(FicheroBinario& bin, CabeceraElemento& cabecera);

// Whether another element follows one that ends at `posicion`: a single stray byte at
// the end of the file is ignored, two or more are read as a header.
inline bool quedaElemento(int64_t posicion, int64_t longitud) {
    return posicion < longitud - 1;
}

// The ending of a corrupt BIN file: "Fichero Corrupto" with the critical icon, after the
// default pointer is restored. Files held by the unwound frames are closed first.
FinPrograma ficheroCorrupto();

}  // namespace pelmora
