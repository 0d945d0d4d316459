// The scripted port of the tests: records every call in order as readable
// lines and answers message boxes from a queue (OK when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/Pantalla.h"

namespace pelmora {

class PantallaGuion : public Pantalla {
public:
    int mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void punteroOcupado() override;
    void punteroNormal() override;
    void etiqueta(const std::string& nombre, const std::string& texto) override;
    void enfocaPrincipal() override;
    void terminar() override;

    std::deque<int> respuestas;       // answers for the next message boxes
    std::vector<std::string> llamadas;  // "mensaje|<estilo>|<titulo>|<texto>", "ocupado", ...
    std::vector<std::string> mensajes;  // the texts of the message boxes only
    bool terminado = false;
    bool ocupado = false;
};

}  // namespace pelmora
