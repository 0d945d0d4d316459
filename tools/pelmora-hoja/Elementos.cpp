// The bytes of the sheet's elements and the BIN files that hold them.
#include "ficherobin/FicheroBinario.h"
#include "tools/pelmora-hoja/Azar.h"
#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {
namespace {

template <class R>
void anade(std::string& salida, const R& registro) {
    uint8_t b[R::kBytes];
    registro.aBytes(b);
    salida.append(reinterpret_cast<const char*>(b), R::kBytes);
}

}  // namespace

// Header, a block and body of bytes drawn from the element's own seed (a text element's
// body is its insertion point and text records "Texto NNNNNN"), then the ATRs.
void bytesElemento(const Hoja& hoja, const Elemento& e, std::string& salida) {
    CabeceraElemento cabecera;
    cabecera.Tipo = e.tipo;
    cabecera.CodigoFeature = e.codigo;
    cabecera.NumAtributos = e.numAtr;
    cabecera.NumRegistros = e.numRegistros;
    anade(salida, cabecera);
    Azar azar(e.relleno);
    for (int i = 0; i < 36 + 12 * e.numRegistros; ++i) {
        bool texto = e.tipo[0] == 'T' && i >= 48;
        if (texto && (i - 48) % 12 == 0) {
            std::string t = "Texto " + std::to_string(100000 + (i - 48) / 12 + e.relleno % 800000);
            salida.append(t, 0, 12);
            i += 11;
        } else {
            salida.push_back(static_cast<char>(azar.hasta(256)));
        }
    }
    for (uint32_t i = 0; i < e.numAtr; ++i) {
        const Atr& a = hoja.atributos[e.primerAtr + i];
        AtributoOcurrencia atr;
        atr.Entitynum = a.entitynum;
        atr.Mslink = a.mslink;
        atr.Resto = a.resto;
        anade(salida, atr);
    }
}

void escribeBin(const Hoja& hoja, const std::string& ruta, bool adaptacion) {
    FicheroBinario bin(ruta, FicheroBinario::Modo::CreaSiFalta);
    std::string tanda;
    for (const auto& e : hoja.elementos) {
        if (adaptacion && e.posicionAdaptacion < 0) continue;
        bytesElemento(hoja, e, tanda);
        if (tanda.size() >= (1u << 20)) {
            bin.escribeBytes(reinterpret_cast<const uint8_t*>(tanda.data()), tanda.size());
            tanda.clear();
        }
    }
    bin.escribeBytes(reinterpret_cast<const uint8_t*>(tanda.data()), tanda.size());
    bin.cierra();
}

const char* nombreCaso(Caso caso) {
    switch (caso) {
        case Caso::Compartido:
            return "Compartido";
        case Caso::MismoMslink:
            return "MismoMslink";
        case Caso::MslinkAlto:
            return "MslinkAlto";
        case Caso::Nuevo:
            return "Nuevo";
        case Caso::NuevoSinTcomplet:
            return "NuevoSinTcomplet";
        case Caso::NuevoClasificNula:
            return "NuevoClasificNula";
        case Caso::CompartidoClasificNula:
            return "CompartidoClasificNula";
        case Caso::NuevoClaveRepetida:
            return "NuevoClaveRepetida";
        case Caso::ClasificGrande:
            return "ClasificGrande";
        case Caso::ComillaNuevo:
            return "ComillaNuevo";
        case Caso::ComillaCompartido:
            return "ComillaCompartido";
        case Caso::Netiqueta:
            return "Netiqueta";
        case Caso::NetiquetaNuevo:
            return "NetiquetaNuevo";
        case Caso::Gemelo:
            return "Gemelo";
        case Caso::SinCorrespondencia:
            return "SinCorrespondencia";
        case Caso::MslinkDuplicado:
            return "MslinkDuplicado";
        case Caso::EtiquetaSinTcomplet:
            return "EtiquetaSinTcomplet";
        case Caso::SoloGeneral:
            return "SoloGeneral";
        case Caso::Otro:
            return "Otro";
    }
    return "";
}

const char* nombreClase(Clase clase) {
    switch (clase) {
        case Clase::Normal:
            return "Normal";
        case Clase::SinAtr:
            return "SinAtr";
        case Clase::SinAtrCentroide:
            return "SinAtrCentroide";
        case Clase::SinAtrNoAsignar:
            return "SinAtrNoAsignar";
        case Clase::SinAtrDesconocido:
            return "SinAtrDesconocido";
        case Clase::SinAtrFeatureVacia:
            return "SinAtrFeatureVacia";
        case Clase::SinAtrTipoRaro:
            return "SinAtrTipoRaro";
        case Clase::Repetido:
            return "Repetido";
        case Clase::Entitynum1:
            return "Entitynum1";
        case Clase::TablaInexistente:
            return "TablaInexistente";
        case Clase::SinRegistro:
            return "SinRegistro";
        case Clase::MslinkDuplicado:
            return "MslinkDuplicado";
        case Clase::EtiquetaSinTcomplet:
            return "EtiquetaSinTcomplet";
        case Clase::VariasGeneral:
            return "VariasGeneral";
        case Clase::SinCorrespondenciaGeneral:
            return "SinCorrespondenciaGeneral";
    }
    return "";
}

}  // namespace pelmora::hoja
