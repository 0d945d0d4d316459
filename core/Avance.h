// The progress of a long loop, told to the UI port at a bounded rate: at the start,
// whenever the whole percentage changes, when a tenth of a second has passed since
// the last report (so that a slow stretch still lets the windows repaint), and once
// at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Pantalla.h"

namespace pelmora {

class Avance {
  public:
    using Reloj = std::function<std::chrono::steady_clock::time_point()>;

    // Reports 0 of `total` at once; a total below 1 counts as 1.
    Avance(Pantalla& pantalla, std::string tarea, int64_t total,
           Reloj reloj = std::chrono::steady_clock::now);

    // `hecho` units are done; cheap when no report is due, so a loop calls it each turn.
    void anota(int64_t hecho);
    // Reports the whole total done, unless that has been told already.
    void termina();

    static constexpr std::chrono::milliseconds kIntervalo{100};

  private:
    void informa(int64_t hecho);

    Pantalla& pantalla_;
    const std::string tarea_;
    const int64_t total_;
    Reloj reloj_;
    int64_t informado_ = -1;  // the last `hecho` told
    int porcentaje_ = 0;
    std::chrono::steady_clock::time_point ultimo_;
};

}  // namespace pelmora
