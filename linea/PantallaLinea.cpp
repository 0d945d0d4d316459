#include "linea/PantallaLinea.h"

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
    cierraProgreso();
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

// Written only when the shown percentage changes.
void PantallaLinea::progreso(const std::string& tarea, int64_t hecho, int64_t total) {
    if (!progreso_) return;
    std::string linea = tarea + ": " + std::to_string(hecho * 100 / total) + " %";
    if (linea != lineaProgreso_) errores_ << '\r' << linea << std::flush;
    lineaProgreso_ = linea;
    if (hecho == total) cierraProgreso();
}

void PantallaLinea::cierraProgreso() {
    if (lineaProgreso_.empty()) return;
    errores_ << std::endl;
    lineaProgreso_.clear();
}

}  // namespace pelmora
