// The element extent rule and the corrupt-file ending.
#include "ficherobin/Elemento.h"

namespace pelmora {

std::optional<ExtensionElemento> mideElemento(const CabeceraElemento& cabecera, int64_t inicio,
                                              int64_t longitud) {
    constexpr int64_t kRegistro = 12;
    int64_t tras = inicio + static_cast<int64_t>(CabeceraElemento::kBytes);
    if (inicio < 0 || tras > longitud) return std::nullopt;
    char tipo = cabecera.Tipo[0];
    if ((tipo != 'C' && tipo != 'T') || cabecera.NumRegistros < 0) return std::nullopt;
    // A text element counts its insertion point and NumRegistros - 1 text records:
    // the same 12 x NumRegistros bytes of body as a point list.
    int64_t atributos =
        tras + static_cast<int64_t>(BloqueElemento::kBytes) + kRegistro * cabecera.NumRegistros;
    int64_t siguiente = atributos + kRegistro * cabecera.NumAtributos;
    if (siguiente > longitud) return std::nullopt;
    return ExtensionElemento{inicio, atributos, siguiente};
}

ExtensionElemento leeElemento(FicheroBinario& bin, CabeceraElemento& cabecera) {
    int64_t inicio = bin.posicion();
    if (bin.longitud() - inicio < static_cast<int64_t>(CabeceraElemento::kBytes))
        throw ficheroCorrupto();
    bin.lee(cabecera);
    auto extension = mideElemento(cabecera, inicio, bin.longitud());
    if (!extension) throw ficheroCorrupto();
    return *extension;
}

FinPrograma ficheroCorrupto() {
    return FinPrograma{"Fichero Corrupto", estilo::IconoCritico, true};
}

}  // namespace pelmora
