#include "db/Lectura.h"

#include <algorithm>
#include <stdexcept>

#include "db/engine/Error.h"
#include "db/engine/Text.h"

namespace pelmora {

std::string SentenciaTabla(const std::string& tabla, const std::string& resto) {
    return "Select " + tabla + ".* from " + tabla + resto + ";";
}

engine::Database& BdDAbierta(const std::shared_ptr<engine::Database>& bdd) {
    if (!bdd)
        throw std::logic_error("No hay ninguna base de datos abierta en este punto del proceso");
    return *bdd;
}

bool ExisteTabla(Estado& estado, const std::string& nombre) {
    const std::vector<std::string> tablas = BdDAbierta(estado.BdDParticular).tableNames();
    const std::string buscado = engine::upperCase(nombre);
    const size_t n = std::min<size_t>(tablas.size(), std::max(estado.NumTablas, 0));
    for (size_t i = 0; i < n; ++i)
        if (engine::upperCase(tablas[i]) == buscado) return true;
    return false;
}

std::string QuitaEspacios(const std::string& texto) {
    const size_t inicio = texto.find_first_not_of(' ');
    if (inicio == std::string::npos) return "";
    return texto.substr(inicio, texto.find_last_not_of(' ') - inicio + 1);
}

LectorRegistros::LectorRegistros(engine::Database& bdd, const std::string& sentencia,
                                 engine::OpenMode modo)
    : ruta_(bdd.path()), rs_(bdd.openRecordset(sentencia, modo)) {}

void LectorRegistros::siguiente() {
    rs_->moveNext();
    ++numero_;
}

void LectorRegistros::valorNoValido(const std::string& campo, const std::string& motivo) {
    std::string registro = "registro " + std::to_string(numero_);
    if (tieneCampo("mslink") && engine::upperCase(campo) != "MSLINK") {
        engine::Value mslink = rs_->field("mslink");
        if (!mslink.isNull()) registro += " (mslink " + mslink.toText() + ")";
    }
    throw ValorNoValido("Valor no válido en la base de datos «" + ruta_ + "», tabla «" +
                        rs_->schema().name + "», " + registro + ", columna «" + campo +
                        "»: " + motivo);
}

template <typename Conversion>
auto LectorRegistros::convierte(const std::string& campo, Conversion conversion) {
    engine::Value v = rs_->field(campo);
    try {
        return conversion(v);
    } catch (const engine::Error& error) {
        valorNoValido(campo, error.what());
    }
}

std::string LectorRegistros::texto(const std::string& campo) {
    return convierte(campo, [](const engine::Value& v) { return v.toText(); });
}

int32_t LectorRegistros::entero32(const std::string& campo) {
    return convierte(campo, [](const engine::Value& v) { return v.toLong(); });
}

int16_t LectorRegistros::entero16(const std::string& campo) {
    return convierte(campo, [](const engine::Value& v) { return v.toInteger(); });
}

double LectorRegistros::numero(const std::string& campo) {
    return convierte(campo, [](const engine::Value& v) { return v.toDouble(); });
}

bool LectorRegistros::siNo(const std::string& campo) {
    return convierte(campo, [](const engine::Value& v) { return !v.isNull() && v.toBool(); });
}

}  // namespace pelmora
