// The scripted port of the tests: records every call in order as readable
// lines and answers message boxes from a queue (OK when the queue is empty).
// Progress reports are kept apart, so that the lines stay those of the run.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/Pantalla.h"

namespace pelmora {

class PantallaGuion : public Pantalla {
  public:
    struct Progreso {
        std::string tarea;
        int64_t hecho, total;
    };

    int mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void punteroOcupado() override;
    void punteroNormal() override;
    void etiqueta(const std::string& nombre, const std::string& texto) override;
    void progreso(const std::string& tarea, int64_t hecho, int64_t total) override;
    void enfocaPrincipal() override;
    void terminar() override;

    std::deque<int> respuestas;         // answers for the next message boxes
    std::vector<std::string> llamadas;  // "mensaje|<estilo>|<titulo>|<texto>", "ocupado", ...
    std::vector<std::string> mensajes;  // the texts of the message boxes only
    std::vector<Progreso> progresos;    // every progress report, in order
    bool terminado = false;
    bool ocupado = false;
};

}  // namespace pelmora
