#include "tests/support/HojaPrueba.h"

#include "bin/FicheroBinario.h"
#include "bin/Modulo_tipo.h"
#include "db/engine/Recordset.h"
#include "db/TablasControl.h"

namespace pelmora::prueba {

namespace {

constexpr int64_t kCabeceraYBloque = 48;
constexpr int64_t kRegistro = 12;

int64_t Longitud(const ElementoPrueba& e) {
    return kCabeceraYBloque + kRegistro * (1 + static_cast<int64_t>(e.atributos.size()));
}

}  // namespace

void EscribeBin(const std::filesystem::path& ruta, const std::vector<ElementoPrueba>& elementos) {
    std::filesystem::remove(ruta);
    FicheroBinario bin(ruta.string(), FicheroBinario::Modo::CreaSiFalta);
    for (const ElementoPrueba& e : elementos) {
        CabeceraElemento cabecera;
        asignaTexto(cabecera.Tipo, "C=");
        cabecera.CodigoFeature.fill('\0');
        e.codigo.copy(cabecera.CodigoFeature.data(), cabecera.CodigoFeature.size());
        cabecera.NumAtributos = static_cast<uint8_t>(e.atributos.size());
        cabecera.NumRegistros = 1;
        bin.escribe(cabecera);
        bin.escribe(BloqueElemento{});
        PuntoElemento punto;
        punto.bytes.fill(0x11);
        bin.escribe(punto);
        for (const auto& [entitynum, mslink] : e.atributos) {
            AtributoOcurrencia atr;
            atr.Entitynum = entitynum;
            atr.Mslink = mslink;
            asignaTexto(atr.Resto, "resto");
            bin.escribe(atr);
        }
    }
    bin.cierra();
}

int64_t PosicionAtributo(const std::vector<ElementoPrueba>& elementos, size_t elemento,
                         size_t atributo) {
    int64_t posicion = 0;
    for (size_t i = 0; i < elemento; ++i) posicion += Longitud(elementos[i]);
    return posicion + kCabeceraYBloque + kRegistro * (1 + static_cast<int64_t>(atributo));
}

void CreaHoja(engine::Database& bdd, const std::vector<TablaPrueba>& tablas) {
    std::vector<std::pair<std::string, int32_t>> catalogo = {{"Feature", 2}};
    std::vector<Fila> features;
    for (const TablaPrueba& t : tablas) {
        catalogo.emplace_back(t.nombre, t.entitynum);
        features.push_back({T(t.nombre), L(t.codigoFeature), L(1)});
    }
    CreaMsCatalog(bdd, catalogo);
    CreaFeature(bdd, features);
    CreaTabla(bdd, "NoAsignar", {{"mslink", engine::Type::Long}});
    for (const TablaPrueba& t : tablas) {
        CreaTabla(bdd, t.nombre, ColumnasOcurrencias(true));
        std::vector<Fila> filas;
        for (const RegistroPrueba& r : t.registros)
            filas.push_back(
                {L(r.mslink), L(r.clasific), T("H1"), T(r.tcomplet), L(1), B(r.Tcorrelate)});
        Inserta(bdd, t.nombre, {"mslink", "clasific", "tmapa", "tcomplet", "tfeature", "Tcorrelate"},
                filas);
    }
}

void ProcesoPrueba::SetUp() {
    BdDPrueba::SetUp();
    if (IsSkipped()) return;
    particular = NuevaBdD("H1");
    general = NuevaBdD("General");
    bin = (carpeta / "H1.bin").string();
    estado.NombreBdDParticular = particular->path();
    estado.NombreBdDGeneral = general->path();
    estado.NombreFicheroBin = bin;
}

bool ProcesoPrueba::Corre(bool (*proceso)(Estado&), bool* alFinal) {
    bool resultado = false;
    bool normal = Ejecuta([&] { resultado = proceso(estado); });
    if (alFinal) *alFinal = resultado;
    return normal;
}

std::vector<std::string> ProcesoPrueba::Etiquetas() const {
    std::vector<std::string> etiquetas;
    const std::string prefijo = "etiqueta|";
    for (const std::string& l : pantalla.llamadas) {
        if (l.rfind(prefijo, 0) != 0) continue;
        std::string resto = l.substr(prefijo.size());
        etiquetas.push_back(resto.replace(resto.find('|'), 1, "="));
    }
    return etiquetas;
}

void ProcesoPrueba::TablasControl(const std::shared_ptr<engine::Database>& bdd) {
    PantallaGuion otra;
    Estado aparte(otra);
    aparte.BdDParticular = bdd;
    CreaTablasControl(aparte);
}

std::vector<std::vector<std::string>> Textos(engine::Database& bdd, const std::string& tabla,
                                             const std::vector<std::string>& columnas) {
    std::vector<std::vector<std::string>> filas;
    for (const Fila& fila : Lee(bdd, "Select " + tabla + ".* from " + tabla + ";", columnas)) {
        std::vector<std::string> textos;
        for (const engine::Value& v : fila) textos.push_back(v.isNull() ? "" : v.toText());
        filas.push_back(textos);
    }
    return filas;
}

}  // namespace pelmora::prueba
