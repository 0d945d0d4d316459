// The UI port of the command line: each label the run sets is one line on the
// standard output, each message box one line "MENSAJE: <texto>" on the error
// output, and the one question of the runs, the name check, is answered Yes only
// when the user gave --si. Ending the program is recorded; the caller exits with 1.
// When asked to, a long loop's progress is one line on the error output, rewritten
// in place ("\rRecorriendo «h.bin»: 42 %") and ended when the loop ends.
#pragma once

#include <ostream>

#include "core/Pantalla.h"

namespace pelmora {

// "MENSAJE: <texto>", a carriage return or line feed inside shown as \r or \n.
std::string lineaMensaje(const std::string& texto);

class PantallaLinea : public Pantalla {
  public:
    PantallaLinea(std::ostream& salida, std::ostream& errores, bool si, bool progreso = false)
        : salida_(salida), errores_(errores), si_(si), progreso_(progreso) {}

    int mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void punteroOcupado() override {}
    void punteroNormal() override {}
    void etiqueta(const std::string& nombre, const std::string& texto) override;
    void progreso(const std::string& tarea, int64_t hecho, int64_t total) override;
    void enfocaPrincipal() override {}
    void terminar() override { terminado_ = true; }

    bool terminado() const { return terminado_; }

  private:
    void cierraProgreso();

    std::ostream& salida_;
    std::ostream& errores_;
    bool si_;
    bool progreso_;
    std::string lineaProgreso_;  // the progress line shown and not yet ended
    bool terminado_ = false;
};

}  // namespace pelmora
