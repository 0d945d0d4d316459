#include "tests/support/RecorridoPrueba.h"

#include "db/TablasControl.h"

namespace pelmora::prueba {

std::vector<Columna> ColumnasTabla() {
    return ColumnasOcurrencias(true);
}

std::vector<Columna> ColumnasEtiquetas() {
    return {{"mslink", engine::Type::Long},
            {"tcomplet", engine::Type::Text},
            {"tmapa", engine::Type::Text},
            {"netiqueta", engine::Type::Text}};
}

namespace {

std::shared_ptr<engine::Database> Construye(std::shared_ptr<engine::Database> bdd,
                                            const std::vector<TablaPrueba>& tablas) {
    for (const TablaPrueba& tabla : tablas) {
        CreaTabla(*bdd, tabla.nombre, tabla.columnas);
        std::vector<std::string> nombres;
        for (const Columna& c : tabla.columnas) nombres.push_back(c.nombre);
        std::vector<Fila> filas = tabla.filas;
        for (Fila& fila : filas) fila.resize(nombres.size());
        Inserta(*bdd, tabla.nombre, nombres, filas);
    }
    return bdd;
}

}  // namespace

std::shared_ptr<engine::Database> RecorridoPrueba::Particular(
    const std::vector<TablaPrueba>& tablas) {
    estado.BdDParticular = Construye(NuevaBdD("hoja"), tablas);
    estado.NombreBdDParticular = estado.BdDParticular->path();
    CreaTablasControl(estado);
    return estado.BdDParticular;
}

std::shared_ptr<engine::Database> RecorridoPrueba::General(const std::vector<TablaPrueba>& tablas) {
    estado.BdDGeneral = Construye(NuevaBdD("general"), tablas);
    estado.NombreBdDGeneral = estado.BdDGeneral->path();
    return estado.BdDGeneral;
}

std::string RecorridoPrueba::Bin(const BinPrueba& bin) {
    rutaBin = (carpeta / "hoja.bin").string();
    bin.Escribe(rutaBin);
    estado.NombreFicheroBin = rutaBin;
    return rutaBin;
}

std::vector<Fila> RecorridoPrueba::Errores() {
    return Lee(*estado.BdDParticular, "Select ERRORES.* from ERRORES;",
               {"DescripcionError", "EntitynumError", "RegistroError", "FicheroBinError",
                "FicheroMdbError"});
}

std::vector<bool> RecorridoPrueba::Marcas(const std::string& tabla) {
    std::vector<bool> marcas;
    for (const Fila& fila :
         Lee(*estado.BdDParticular, "Select " + tabla + ".* from " + tabla + ";", {"Tcorrelate"}))
        marcas.push_back(!fila[0].isNull() && fila[0].toBool());
    return marcas;
}

std::vector<int32_t> RecorridoPrueba::Contadores() const {
    return {estado.NumSinAtrOcurrencia,      estado.NumSinAtr,      estado.NumAtrRepetido,
            estado.NumTablaInexistente,      estado.NumSinRegistro, estado.NumSinCorrespondencia,
            estado.NumVariasCorrespondencias};
}

void RecorridoPrueba::PonContadoresACero() {
    for (int32_t* c : {&estado.NumSinAtrOcurrencia, &estado.NumSinAtr, &estado.NumAtrRepetido,
                       &estado.NumTablaInexistente, &estado.NumSinRegistro,
                       &estado.NumSinCorrespondencia, &estado.NumVariasCorrespondencias})
        *c = 0;
}

Fila RecorridoPrueba::Error(const std::string& descripcion, int32_t entitynum, int32_t registro,
                            const std::string& ficheroBin) const {
    return {T(descripcion), L(entitynum), L(registro), M(ficheroBin),
            M(estado.NombreBdDParticular)};
}

}  // namespace pelmora::prueba
