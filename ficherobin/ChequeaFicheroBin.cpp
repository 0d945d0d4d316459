// The integrity check of a BIN file: every header, from the first byte to the end,
// must start a sound element.
#include "ficherobin/Elemento.h"
#include "ficherobin/Modulo_Bin.h"

namespace pelmora {

void ChequeaFicheroBin(Estado& estado) {
    FicheroBinario bin(estado.NombreFicheroBin, FicheroBinario::Modo::Lectura);
    estado.pantalla.punteroOcupado();
    CabeceraElemento cabecera;
    do {
        bin.situa(leeElemento(bin, cabecera).siguiente);
    } while (quedaElemento(bin.posicion(), bin.longitud()));
    bin.cierra();
    estado.pantalla.punteroNormal();
}

}  // namespace pelmora
