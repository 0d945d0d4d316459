#include "core/FinPrograma.h"

#include <exception>

namespace pelmora {

bool ejecutaHastaFin(Pantalla& pantalla, const std::function<void()>& paso) {
    try {
        paso();
        return true;
    } catch (const FinPrograma& fin) {
        if (fin.restaurarPuntero) pantalla.punteroNormal();
        if (!fin.texto.empty()) pantalla.mensaje(fin.texto, fin.estilo);
    } catch (const std::exception& error) {
        pantalla.punteroNormal();
        pantalla.mensaje(error.what(), estilo::IconoCritico);
    }
    pantalla.terminar();
    return false;
}

}  // namespace pelmora
