// What a batch did: per sheet and run, how the run ended, the messages it showed,
// its seven counters and its time; and how each sheet stands as a whole, which
// orders the report (the sheets that need rework first).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "lote/Eventos.h"
#include "lote/Hojas.h"

namespace pelmora::lote {

enum class Final {
    Pendiente,   // not started: the batch was interrupted first
    Terminado,   // the run reached its final status
    Detenido,    // it stopped without ending (names differ, table lists differ)
    Error,       // a fatal check or error ended it
    Omitido,     // not run: an earlier run of the sheet did not end
    Abandonado,  // cut short by the batch's interruption
};

// "pendiente", "terminado", ...: as the report writes it.
const char* nombreFinal(Final final);

struct ResultadoProceso {
    Final final = Final::Pendiente;
    std::vector<std::string> mensajes;     // every message shown, in order
    std::optional<Contadores> contadores;  // Correlate and Adaptation that ended
    double segundos = 0;

    // The message that explains a run that did not end (the last one shown).
    std::string motivo() const { return mensajes.empty() ? "" : mensajes.back(); }
};

// The runs in their order: Correlate, Fusion, Adaptation.
inline constexpr std::array<Opcion, 3> kOpciones = {Opcion::Correlate, Opcion::Fusion,
                                                    Opcion::Adaptacion};
// "correlate", "fusion" or "adaptacion".
const char* nombreOpcion(Opcion opcion);

struct ResultadoHoja {
    Hoja hoja;
    std::array<std::optional<ResultadoProceso>, 3> procesos;  // by Opcion; only those asked for

    std::optional<ResultadoProceso>& de(Opcion o) { return procesos[static_cast<size_t>(o)]; }
    const std::optional<ResultadoProceso>& de(Opcion o) const {
        return procesos[static_cast<size_t>(o)];
    }
};

enum class EstadoHoja {
    Fallida,      // a run did not end, or no run could start
    SinTerminar,  // the batch was interrupted before its runs ended
    ConErrores,   // every run ended, with errors counted
    Correcta,     // every run ended, every counter at zero
};
const char* nombreEstadoHoja(EstadoHoja estado);
EstadoHoja estadoDe(const ResultadoHoja& hoja);

struct ResultadoLote {
    std::string general;
    std::vector<Opcion> procesos;
    int paralelo = 1;
    bool interrumpido = false;
    double segundos = 0;
    std::vector<ResultadoHoja> hojas;  // in the delivery's order
};

// True when every run asked for ended on every sheet.
bool todoTerminado(const ResultadoLote& lote);

// The sheets' indexes, those that need rework first (failed, unfinished, with
// errors, correct), in the delivery's order within each group.
std::vector<size_t> ordenRevision(const ResultadoLote& lote);

}  // namespace pelmora::lote
