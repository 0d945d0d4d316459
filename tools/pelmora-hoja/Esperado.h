// What the three runs must show and do on a planned sheet, worked out from the
// plan itself (which record every ATR reaches, which keys the General database
// holds), never by running the program's own procedures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/TiposBdD.h"
#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {

// Placeholders for the paths each run is given, in the texts of esperado.json.
inline constexpr const char* kRutaBin = "{bin}";
inline constexpr const char* kRutaParticular = "{particular}";
inline constexpr const char* kRutaGeneral = "{general}";

// An ERRORES row a run must append, without its date and time.
using FilaError = DatosErrorRegistro;

struct Marcador {
    int64_t posicion = 0;           // the faulty element's offset in the run's BIN file
    std::string codigo;             // "61601" or "61603"
    std::array<uint8_t, 12> punto;  // the marker's insertion point
};

struct Reescritura {
    int64_t posicion = 0;  // offset of the ATR in the Adaptation BIN file
    int32_t antes = 0;
    int32_t despues = 0;
};

struct Mensaje {
    std::string texto;
    int estilo = 0;
    std::string titulo = "Pelmora";
    int respuesta = 1;  // the answer that lets the run go on
};

// The seven counters, in the order the run windows show them.
using Contadores = std::array<int32_t, 7>;
extern const char* const kTextosContadores[7];
extern const char* const kNombresContadores[7];

struct Recorrido {
    Contadores contadores{};
    std::vector<FilaError> errores;
    std::vector<Marcador> marcadores;
    std::vector<Reescritura> reescritos;
};

struct Esperado {
    std::vector<Mensaje> mensajesCorrelate;
    Recorrido correlate;
    std::vector<std::vector<int32_t>> marcas;     // per table: stored rows whose mark is true
    std::vector<std::vector<Registro>> anexados;  // per table: General records the merge appends
    std::vector<Mensaje> mensajesAdaptacion;
    Recorrido adaptacion;
};

Esperado calculaEsperado(const Hoja& hoja);

// The Feature code as the walk reads it: up to the first NUL, spaces trimmed.
std::string codigoLeido(const CampoTexto<7>& codigo);

}  // namespace pelmora::hoja
