#include "db/consultas/RegistrosPorMslink.h"

#include <cmath>

#include "db/Lectura.h"
#include "db/engine/EqualKey.h"
#include "db/engine/PackedRow.h"

namespace pelmora {
namespace {

// The mslink a stored number equals, as a number literal compared with a number
// column equals it: false for values no 32-bit number equals.
bool MslinkDe(const engine::Value& valor, int32_t& mslink) {
    const double numero = valor.toDouble();
    if (numero != std::trunc(numero) || numero < std::numeric_limits<int32_t>::min() ||
        numero > std::numeric_limits<int32_t>::max())
        return false;
    mslink = static_cast<int32_t>(numero);
    return true;
}

}  // namespace

bool RegistrosPorMslink::Lee(engine::Database& bdd, const std::string& tabla,
                             const std::vector<std::string>& campos) noexcept try {
    LeeTabla(bdd, tabla, campos);
    if (!leidos_) *this = RegistrosPorMslink();
    return leidos_;
} catch (...) {
    *this = RegistrosPorMslink();
    return false;
}

void RegistrosPorMslink::LeeTabla(engine::Database& bdd, const std::string& tabla,
                                  const std::vector<std::string>& campos) {
    // The statement the lookup stands for, so that a name it could not hold is not read.
    const engine::Query consulta = engine::parseStatement(SentenciaTabla(tabla));
    const engine::TableSchema esquema = bdd.schema(consulta.table);
    const int columna = esquema.find("mslink");
    if (columna < 0 || !engine::isNumberKeyed(esquema.columns[columna].type)) return;
    std::vector<int> guardadas;
    campos_.name = esquema.name;
    for (const std::string& campo : campos) {
        const int c = esquema.find(campo);
        if (c < 0) continue;
        guardadas.push_back(c);
        campos_.columns.push_back(esquema.columns[c]);
    }
    engine::Query todos;
    todos.table = esquema.name;
    std::unique_ptr<engine::Cursor> cursor = bdd.select(todos);
    const size_t filas = cursor->sizeHint();
    registros_.Reserva(filas);
    // Each record's fields are kept as it is read, and its mslink placed in the table a
    // batch later, once its place there has been fetched; a record whose mslink was
    // met before only counts, its fields kept but never read.
    std::vector<std::pair<int32_t, uint32_t>> tanda;  // mslink, where its fields are
    const auto coloca = [&] {
        for (const auto& [mslink, desde] : tanda) {
            if (Registros* leidos = registros_.Busca(mslink))
                ++leidos->cuantos;
            else
                registros_.InsertaSiFalta(mslink, {kSinAnotar, desde, 1});
        }
        tanda.clear();
    };
    for (size_t leidas = 0; cursor->next();) {
        const engine::Value valor = cursor->value(columna);
        if (!valor.isNumeric()) continue;  // matches nothing, and the lookup reads no more of it
        int32_t mslink = 0;
        if (!MslinkDe(valor, mslink)) {
            // A number no mslink equals: its fields are read all the same, as the lookup
            // reads them, so that one it cannot read fails here as there.
            for (int c : guardadas) static_cast<void>(cursor->value(c));
            continue;
        }
        if (guardados_.size() > std::numeric_limits<uint32_t>::max()) return;  // too large to name
        registros_.Anticipa(mslink);
        tanda.emplace_back(mslink, static_cast<uint32_t>(guardados_.size()));
        for (int c : guardadas) engine::appendPacked(guardados_, cursor->value(c));
        // Room for the fields of every record, judged from the first ones read.
        if (++leidas == kMuestra && filas > leidas)
            guardados_.reserve(guardados_.size() / leidas * filas * 9 / 8);
        if (tanda.size() == kGrupo) coloca();
    }
    coloca();
    leidos_ = true;
}

ResultadoConsulta RegistrosPorMslink::Resultado(const Registros& registros) const {
    ResultadoConsulta resultado;
    resultado.campos = &campos_;
    resultado.cuantos = registros.cuantos;
    if (registros.cuantos == 1)
        resultado.valores = engine::unpackRow(std::string_view(guardados_).substr(registros.desde),
                                              campos_.columns.size());
    return resultado;
}

void RegistrosPorMslink::Anota(int32_t mslink, int64_t anotado) {
    if (Registros* registros = Busca(mslink))
        registros->anotado = anotado;
    else
        registros_.InsertaSiFalta(mslink, {anotado});
}

}  // namespace pelmora
