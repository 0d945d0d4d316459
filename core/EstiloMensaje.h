// How a message-box style number reads, bit by bit as the original toolkit
// numbers them: the buttons (by their answer codes, left to right), the icon
// and which button is the default. Shared by the Qt and command-line ports.
#pragma once

#include <vector>

namespace pelmora {

// Answer codes of the buttons that Pantalla.h does not name.
namespace respuesta {
constexpr int Cancelar = 2;
constexpr int Anular = 3;
constexpr int Reintentar = 4;
constexpr int Omitir = 5;
}  // namespace respuesta

enum class IconoMensaje { Ninguno, Critico, Pregunta, Exclamacion, Informacion };

struct FormaMensaje {
    std::vector<int> botones;  // answer codes, left to right
    IconoMensaje icono = IconoMensaje::Ninguno;
    int porDefecto = 0;  // index into botones
};

// Bits 0-2 choose the buttons, bits 4-6 the icon, bits 8-9 the default button
// (one that does not exist falls back to the first).
FormaMensaje formaMensaje(int estilo);

// The Spanish caption of the button that answers `codigo`.
const char* textoBoton(int codigo);

}  // namespace pelmora
