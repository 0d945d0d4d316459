#include "app/PantallaLinea.h"

#include <algorithm>

#include "core/EstiloMensaje.h"

namespace pelmora {

std::string lineaMensaje(const std::string& texto) {
    std::string linea = "MENSAJE: ";
    for (char c : texto) {
        if (c == '\r')
            linea += "\\r";
        else if (c == '\n')
            linea += "\\n";
        else
            linea += c;
    }
    return linea;
}

// A question with a Yes button is answered Yes only with --si, otherwise No; any
// other box is answered by its default button.
int PantallaLinea::mensaje(const std::string& texto, int estilo, const std::string&) {
    errores_ << lineaMensaje(texto) << std::endl;
    FormaMensaje forma = formaMensaje(estilo);
    const auto& botones = forma.botones;
    if (std::find(botones.begin(), botones.end(), respuesta::Si) != botones.end())
        return si_ ? respuesta::Si : respuesta::No;
    return botones[forma.porDefecto];
}

void PantallaLinea::etiqueta(const std::string&, const std::string& texto) {
    salida_ << texto << std::endl;
}

}  // namespace pelmora
