#include "tests/support/HojaPrueba.h"

#include "db/TablasControl.h"
#include "db/engine/Recordset.h"

namespace pelmora::prueba {

void CreaHoja(engine::Database& bdd, const std::vector<TablaHoja>& tablas) {
    std::vector<std::pair<std::string, int32_t>> catalogo = {{"Feature", 2}};
    std::vector<Fila> features;
    for (const TablaHoja& t : tablas) {
        catalogo.emplace_back(t.nombre, t.entitynum);
        features.push_back({T(t.nombre), L(t.codigoFeature), L(1)});
    }
    CreaMsCatalog(bdd, catalogo);
    CreaFeature(bdd, features);
    CreaTabla(bdd, "NoAsignar", {{"mslink", engine::Type::Long}});
    for (const TablaHoja& t : tablas) {
        CreaTabla(bdd, t.nombre, ColumnasOcurrencias(true));
        std::vector<Fila> filas;
        for (const RegistroHoja& r : t.registros)
            filas.push_back(
                {L(r.mslink), L(r.clasific), T("H1"), T(r.tcomplet), L(1), B(r.Tcorrelate)});
        Inserta(bdd, t.nombre,
                {"mslink", "clasific", "tmapa", "tcomplet", "tfeature", "Tcorrelate"}, filas);
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
