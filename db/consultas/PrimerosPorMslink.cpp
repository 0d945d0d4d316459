#include "db/consultas/PrimerosPorMslink.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/Lectura.h"
#include "db/engine/Error.h"

namespace pelmora {
namespace {

[[noreturn]] void faltaCampo(const engine::Database& bdd, const engine::TableSchema& tabla,
                             const std::string& campo) {
    throw engine::Error("No existe el campo «" + campo + "» en la tabla «" + tabla.name + "» de «" +
                        bdd.path() + "»");
}

}  // namespace

PrimerosPorMslink::PrimerosPorMslink(engine::Database& bdd, const std::string& tabla) : bdd_(bdd) {
    // The statement the scan opens, so that a name the engine does not take fails alike.
    const engine::Query consulta = engine::parseStatement(SentenciaTabla(tabla));
    tabla_ = bdd.schema(consulta.table);
    const int columna = tabla_.find("mslink");
    std::unique_ptr<engine::Cursor> cursor = bdd.select(consulta);
    for (int64_t orden = 0; cursor->next(); ++orden) {
        if (columna < 0) faltaCampo(bdd_, tabla_, "mslink");
        const engine::Value valor = cursor->value(columna);
        if (valor.isNull()) continue;
        double numero = 0;
        try {
            numero = valor.toDouble();
        } catch (const engine::Error& error) {
            if (!ilegible_) ilegible_ = Ilegible{orden, error.what()};
            continue;
        }
        if (numero != std::trunc(numero) || numero < std::numeric_limits<int32_t>::min() ||
            numero > std::numeric_limits<int32_t>::max())
            continue;
        primeros_.InsertaSiFalta(static_cast<int32_t>(numero), Primero{orden, cursor->id()});
    }
}

PrimerosPorMslink::Primero* PrimerosPorMslink::Busca(int32_t mslink) {
    Primero* primero = primeros_.Busca(mslink);
    if (ilegible_ && (!primero || ilegible_->orden < primero->orden))
        throw ValorNoValido("Valor no válido en la base de datos «" + bdd_.path() + "», tabla «" +
                            tabla_.name + "», registro " + std::to_string(ilegible_->orden + 1) +
                            ", columna «mslink», al buscar el mslink " + std::to_string(mslink) +
                            ": " + ilegible_->motivo);
    return primero;
}

void PrimerosPorMslink::Marca(Primero& registro) {
    if (registro.marcado) return;
    if (columnaMarca_ < 0) columnaMarca_ = tabla_.find("Tcorrelate");
    if (columnaMarca_ < 0) faltaCampo(bdd_, tabla_, "Tcorrelate");
    pendientes_.push_back(registro.registro);
    registro.marcado = true;
}

void PrimerosPorMslink::EscribeMarcas() {
    std::sort(pendientes_.begin(), pendientes_.end());
    size_t escritas = 0;
    try {
        for (; escritas < pendientes_.size(); ++escritas)
            bdd_.updateColumn(tabla_.name, pendientes_[escritas], columnaMarca_,
                              engine::Value::boolean(true));
    } catch (...) {
        pendientes_.erase(pendientes_.begin(), pendientes_.begin() + escritas);
        throw;
    }
    pendientes_.clear();
}

}  // namespace pelmora
