#include "core/PantallaGuion.h"

namespace pelmora {

int PantallaGuion::mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    llamadas.push_back("mensaje|" + std::to_string(estilo) + "|" +
                       (titulo.empty() ? kTituloAplicacion : titulo) + "|" + texto);
    mensajes.push_back(texto);
    if (respuestas.empty())
        return (estilo & 7) == estilo::SiNo ? respuesta::Si : respuesta::Aceptar;
    int r = respuestas.front();
    respuestas.pop_front();
    return r;
}

void PantallaGuion::punteroOcupado() {
    llamadas.push_back("ocupado");
    ocupado = true;
}

void PantallaGuion::punteroNormal() {
    llamadas.push_back("normal");
    ocupado = false;
}

void PantallaGuion::etiqueta(const std::string& nombre, const std::string& texto) {
    llamadas.push_back("etiqueta|" + nombre + "|" + texto);
}

void PantallaGuion::progreso(const std::string& tarea, int64_t hecho, int64_t total) {
    progresos.push_back({tarea, hecho, total});
}

void PantallaGuion::enfocaPrincipal() {
    llamadas.push_back("enfoca");
}

void PantallaGuion::terminar() {
    llamadas.push_back("terminar");
    terminado = true;
}

}  // namespace pelmora
