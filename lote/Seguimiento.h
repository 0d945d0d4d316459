// The batch's progress on the error output. On a terminal, one live line per
// worker and a total (sheets done and failed, runs ended of each kind, time left),
// redrawn in place; otherwise one plain line per sheet and run as each ends; or
// nothing at all.
#pragma once

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "lote/Resultados.h"

namespace pelmora::lote {

enum class ModoSeguimiento { Terminal, Lineas, Silencio };

class Seguimiento {
  public:
    // One live line for each of the batch's lote.paralelo workers.
    Seguimiento(std::ostream& salida, ModoSeguimiento modo, const ResultadoLote& lote)
        : salida_(salida),
          modo_(modo),
          lote_(lote),
          lineas_(static_cast<size_t>(std::max(lote.paralelo, 1))) {}

    void empieza(int hueco, size_t hoja, Opcion opcion);
    void evento(int hueco, const Evento& evento);
    void termina(int hueco, size_t hoja, Opcion opcion);
    // Redraws the live lines, at most a few times a second.
    void refresca();
    // Leaves the terminal below the last lines.
    void cierra();

  private:
    struct Linea {
        bool ocupada = false;
        std::string cabecera;  // "hoja003 · CORRELATE"
        std::string estado;    // the last label or step of progress
    };
    void dibuja();
    std::string total() const;
    std::string tiempoRestante() const;

    std::ostream& salida_;
    ModoSeguimiento modo_;
    const ResultadoLote& lote_;
    std::vector<Linea> lineas_;
    size_t dibujadas_ = 0;  // lines drawn last time, to go back over
    std::chrono::steady_clock::time_point ultimo_{};
    std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

// "0,4 s", "12 s", "1 min 05 s", "2 h 03 min".
std::string duracion(double segundos);

}  // namespace pelmora::lote
