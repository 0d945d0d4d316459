// The lookups of the element walk: an element's feature code to the table it calls
// for, an ATR's entity number to its table, and its mslink to the record, which the
// Correlate run marks and the Adaptation run follows to the General database. The
// problems they find are counted and logged in ERRORES.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/Estado.h"
#include "db/consultas/IndicesRecorrido.h"

namespace pelmora {

// A feature code that is not a number, met where it has to be compared with
// Feature's mslinks. The walk adds the file and the element to the message.
class CodigoFeatureNoValido : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Keeps the text up to its first NUL character, without surrounding spaces.
void CortaEnNulo(std::string& Texto);

// The table of the first assignable Feature entry whose mslink is the feature code
// (cut by CortaEnNulo, in place), into `Tabla`, which comes in empty and stays so
// when there is none. The code is converted only when some entry is assignable;
// then one that is not a number throws CodigoFeatureNoValido.
void BuscaTablaPorMslink(const IndicesRecorrido& indices, std::string& CodigoFeature,
                         std::string& Tabla);

// The table of the first catalog entry with this entity number, into `Tabla`;
// returns false, with `Tabla` unchanged, after counting and logging a missing table.
bool ChequeaTablaElemento(Estado& estado, const IndicesRecorrido& indices, int32_t Entitynum,
                          std::string& Tabla);

// Correlate run: marks the first record of the table whose mslink is `Mslink`, or
// counts and logs that there is none.
void BuscaRegistroElemento(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                           int32_t Mslink);

// Adaptation run: the mslink of the one General record whose key equals that of
// the ATR's Particular record, the record with mslink `Mslink`; 0 after logging
// that there is none or more than one. When that Particular record is missing or
// repeated (after counting and logging), lacks the key's second value, or is a
// label record without Tcomplet, the run ends.
int32_t MslinkAdaptado(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                       int32_t Mslink);

// Fills DatosError with `datos` and appends its row to ERRORES.
void AnotaDatosError(Estado& estado, DatosErrorRegistro datos);

// Whether a table is the label table, 199ETIQUETAS in any letter case.
bool EsTablaEtiquetas(const std::string& Tabla);

}  // namespace pelmora
