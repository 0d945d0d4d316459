// The error BIN file: one text element "Error" per faulty element, carrying the
// error code and the faulty element's block and first body record.
#include <algorithm>
#include <array>

#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/Modulo_tipo.h"

namespace pelmora {
namespace {

// The byte where the last `n` characters of a UTF-8 text begin, or npos.
std::size_t inicioDeLosUltimos(const std::string& texto, std::size_t n) {
    std::size_t i = texto.size();
    for (std::size_t vistos = 0; vistos < n; ++vistos) {
        if (i == 0) return std::string::npos;
        do --i;
        while (i > 0 && (static_cast<unsigned char>(texto[i]) & 0xC0) == 0x80);
    }
    return i;
}

// The faulty element's first body record, as the marker's insertion point: the 12
// bytes after its block, except for a "C=" element without body records (zeros).
// Bytes beyond the end of the file read as zeros.
PuntoElemento puntoDeInsercion(FicheroBinario& bin, int64_t posicion, BloqueElemento& bloque) {
    CabeceraElemento cabecera;
    bin.situa(posicion);
    bin.lee(cabecera);
    bin.lee(bloque);
    PuntoElemento punto;
    bool puntos = cabecera.Tipo[0] == 'C' && cabecera.Tipo[1] == '=';
    if (!puntos || cabecera.NumRegistros > 0)
        bin.leeHasta(punto.bytes.data(), PuntoElemento::kBytes);
    return punto;
}

}  // namespace

std::string NombreFicheroErrorBin(const std::string& RutaBin) {
    std::size_t corte = inicioDeLosUltimos(RutaBin, 4);
    if (corte == std::string::npos)
        throw ErrorFichero("La ruta del fichero BIN «" + RutaBin +
                           "» es demasiado corta para nombrar su fichero de errores");
    return RutaBin.substr(0, corte) + "_err.bin";
}

void RellenaTexto(std::string& Texto) {
    std::size_t desde = Texto.find_first_not_of(' ');
    std::string recortado = desde == std::string::npos
                                ? ""
                                : Texto.substr(desde, Texto.find_last_not_of(' ') - desde + 1);
    if (recortado.size() <= 6) recortado.append(7 - recortado.size(), '\0');
    Texto = recortado;
}

void EscribeErrorBin(FicheroBinario& bin, const std::string& RutaBin, int64_t Posicion,
                     const std::string& Codigo) {
    int64_t vuelta = bin.posicion();
    BloqueElemento bloque;
    PuntoElemento punto = puntoDeInsercion(bin, Posicion, bloque);
    bin.situa(vuelta);

    FicheroBinario errores(NombreFicheroErrorBin(RutaBin), FicheroBinario::Modo::CreaSiFalta);
    errores.situa(errores.longitud());

    CabeceraElemento cabecera;
    asignaTexto(cabecera.Tipo, "T=");
    asignaTexto(cabecera.CodigoFeature, Codigo);
    std::string codigo = textoDe(cabecera.CodigoFeature);
    RellenaTexto(codigo);
    asignaTexto(cabecera.CodigoFeature, codigo);
    cabecera.NumRegistros = 2;
    cabecera.NumAtributos = 0;
    bloque.ponEntero(24, 100);
    bloque.ponEntero(28, 8);
    bloque.ponEntero(32, 0);
    TextoElemento texto;
    asignaTexto(texto.Texto, std::string("Error\0", 6));

    errores.escribe(cabecera);
    errores.escribe(bloque);
    errores.escribe(punto);
    errores.escribe(texto);
    errores.cierra();
}

}  // namespace pelmora
