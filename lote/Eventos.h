// What a worker process tells the batch about the run it carries, one line per
// event on a pipe: a label set, a message shown, a step of progress, and the end
// with the run's outcome and its seven counters. Texts are escaped so that a line
// is always one event.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "runs/Lanzamiento.h"

namespace pelmora::lote {

using Contadores = std::array<int32_t, 7>;

struct Evento {
    enum class Tipo : char { Etiqueta = 'E', Mensaje = 'M', Avance = 'A', Fin = 'F' };
    Tipo tipo = Tipo::Etiqueta;
    std::string texto;  // the label's or message's text, or the progress's task
    int64_t hecho = 0, total = 0;
    Desenlace desenlace = Desenlace::Error;
    std::optional<Contadores> contadores;  // at the end of Correlate and Adaptation

    static Evento de(Tipo tipo, std::string texto = "") {
        Evento e;
        e.tipo = tipo;
        e.texto = std::move(texto);
        return e;
    }
};

// The event as one line, its final line feed included.
std::string codifica(const Evento& evento);

// The event of one line (without its line feed); nullopt when the line is not one.
std::optional<Evento> decodifica(const std::string& linea);

}  // namespace pelmora::lote
