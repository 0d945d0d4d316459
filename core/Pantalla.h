// The one port through which everything below the windows talks to the user:
// message boxes, the mouse pointer, the run window's labels, the progress of a
// long loop, the main window's focus and the end of the program. Implemented by
// the Qt windows, the command line and the scripted port of the tests.
#pragma once

#include <cstdint>
#include <string>

namespace pelmora {

// Message-box style bits and answer codes, as the original toolkit numbers them.
namespace estilo {
constexpr int Aceptar = 0;         // OK button only
constexpr int SiNo = 4;            // Yes and No buttons
constexpr int IconoCritico = 16;   // critical (stop) icon
constexpr int SegundoBoton = 256;  // second button is the default
}  // namespace estilo
namespace respuesta {
constexpr int Aceptar = 1;
constexpr int Si = 6;
constexpr int No = 7;
}  // namespace respuesta

// The title of a message box that is given none of its own.
inline constexpr const char* kTituloAplicacion = "Pelmora";

class Pantalla {
  public:
    virtual ~Pantalla() = default;

    // Shows a modal message box; returns the answer code (1 OK, 6 Yes, 7 No).
    // An empty title shows the application's title.
    virtual int mensaje(const std::string& texto, int estilo = estilo::Aceptar,
                        const std::string& titulo = "") = 0;
    virtual void punteroOcupado() = 0;
    virtual void punteroNormal() = 0;
    // Sets a label of the run window in hand (by its name, "Label3") and repaints it.
    virtual void etiqueta(const std::string& nombre, const std::string& texto) = 0;
    // A long loop has done `hecho` of `total` (at least 1) units of `tarea` ("Recorriendo
    // «h.bin»"); called at a bounded rate (Avance.h), last with hecho == total. The windows
    // show nothing new but stay painted; the command line may show a percentage.
    virtual void progreso(const std::string& tarea, int64_t hecho, int64_t total) = 0;
    // Gives the main window the keyboard focus.
    virtual void enfocaPrincipal() = 0;
    // Ends the program. The scripted port of the tests only records it and returns.
    virtual void terminar() = 0;
};

}  // namespace pelmora
