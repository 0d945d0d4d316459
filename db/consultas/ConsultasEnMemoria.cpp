#include "db/consultas/ConsultasEnMemoria.h"

#include <algorithm>

#include "db/Lectura.h"
#include "db/engine/PackedRow.h"

namespace pelmora {

ConsultasEnMemoria::Tabla& ConsultasEnMemoria::TablaDe(const std::string& nombre) {
    auto encontrada = tablas_.find(nombre);
    if (encontrada != tablas_.end()) return encontrada->second;
    // The statement the lookup stands for, so that a name it could not hold fails alike.
    const engine::Query consulta = engine::parseStatement(SentenciaTabla(nombre));
    Tabla tabla{bdd_->schema(consulta.table), {}};
    return tablas_.emplace(nombre, std::move(tabla)).first->second;
}

// Found among the table's few by comparing names, which allocates nothing: a
// lookup per ATR asks for one.
ConsultasEnMemoria::Consulta& ConsultasEnMemoria::ConsultaDe(
    Tabla& tabla, const std::vector<Igualdad>& condiciones,
    const std::vector<std::string>& campos) {
    auto mismas = [&](const Consulta& c) {
        if (c.pedidos != campos || c.comparadas.size() != condiciones.size()) return false;
        for (size_t i = 0; i < condiciones.size(); ++i)
            if (c.comparadas[i] != condiciones[i].columna) return false;
        return true;
    };
    for (const auto& consulta : tabla.consultas)
        if (mismas(*consulta)) return *consulta;

    auto consulta = std::make_unique<Consulta>();
    consulta->pedidos = campos;
    consulta->campos.name = tabla.esquema.name;
    for (const Igualdad& condicion : condiciones) {
        consulta->comparadas.push_back(condicion.columna);
        consulta->columnas.push_back(tabla.esquema.find(condicion.columna));
    }
    for (const std::string& campo : campos) {
        const int columna = tabla.esquema.find(campo);
        if (columna < 0) continue;
        consulta->leidos.push_back(columna);
        consulta->campos.columns.push_back(tabla.esquema.columns[columna]);
    }
    const bool faltaAlguna = std::count(consulta->columnas.begin(), consulta->columnas.end(), -1);
    if (!condiciones.empty() && !faltaAlguna)
        consulta->filas.emplace(*bdd_, tabla.esquema, consulta->columnas, consulta->leidos);
    tabla.consultas.push_back(std::move(consulta));
    return *tabla.consultas.back();
}

ResultadoConsulta ConsultasEnMemoria::Busca(const std::string& nombre,
                                            const std::vector<Igualdad>& condiciones,
                                            const std::vector<std::string>& campos) {
    if (std::optional<ResultadoConsulta> hallado = BuscaEnMemoria(nombre, condiciones, campos))
        return std::move(*hallado);
    Tabla& tabla = TablaDe(nombre);
    return BuscaEnBdD(tabla, ConsultaDe(tabla, condiciones, campos), condiciones);
}

std::optional<ResultadoConsulta> ConsultasEnMemoria::BuscaEnMemoria(
    const std::string& nombre, const std::vector<Igualdad>& condiciones,
    const std::vector<std::string>& campos) {
    Consulta& consulta = ConsultaDe(TablaDe(nombre), condiciones, campos);
    std::optional<engine::KeyTable::Found> hallado;
    if (consulta.filas)
        hallado = consulta.filas->find(
            [&](size_t i) -> const engine::Value& { return condiciones[i].literal; });
    if (!hallado) return std::nullopt;
    return Resultado(consulta, *hallado);
}

std::vector<std::optional<ResultadoConsulta>> ConsultasEnMemoria::BuscaVariasEnMemoria(
    const std::string& nombre, const std::vector<std::vector<Igualdad>>& condiciones,
    const std::vector<std::string>& campos) {
    Tabla& tabla = TablaDe(nombre);
    struct Paso {
        engine::Lookup* filas = nullptr;  // null when the lookup needs the database
        std::string clave;
        Consulta* consulta = nullptr;
    };
    std::vector<Paso> pasos(condiciones.size());
    for (size_t k = 0; k < pasos.size(); ++k) {
        Paso& paso = pasos[k];
        paso.consulta = &ConsultaDe(tabla, condiciones[k], campos);
        if (!paso.consulta->filas) continue;
        const auto literal = [&](size_t i) -> const engine::Value& {
            return condiciones[k][i].literal;
        };
        if (!paso.consulta->filas->keyOf(literal, paso.clave)) continue;
        paso.filas = &*paso.consulta->filas;
        paso.filas->prefetch(paso.clave, false);
    }
    for (Paso& paso : pasos)
        if (paso.filas) paso.filas->prefetch(paso.clave, true);
    std::vector<std::optional<ResultadoConsulta>> resultados(pasos.size());
    for (size_t k = 0; k < pasos.size(); ++k)
        if (pasos[k].filas)
            resultados[k] = Resultado(*pasos[k].consulta, pasos[k].filas->findKey(pasos[k].clave));
    return resultados;
}

ResultadoConsulta ConsultasEnMemoria::Resultado(const Consulta& consulta,
                                                const engine::KeyTable::Found& hallado) {
    ResultadoConsulta resultado;
    resultado.campos = &consulta.campos;
    resultado.cuantos = hallado.count;
    if (resultado.cuantos == 1) resultado.valores = engine::unpackRow(hallado.kept);
    return resultado;
}

size_t ConsultasEnMemoria::Prepara(const std::string& nombre,
                                   const std::vector<std::string>& columnas,
                                   const std::vector<std::string>& campos) noexcept try {
    std::vector<Igualdad> condiciones;
    for (const std::string& columna : columnas) condiciones.push_back({columna, engine::Value()});
    Consulta& consulta = ConsultaDe(TablaDe(nombre), condiciones, campos);
    if (!consulta.filas) return 0;
    consulta.filas->build();
    return consulta.filas->size();
} catch (...) {
    return 0;
}

ResultadoConsulta ConsultasEnMemoria::BuscaEnBdD(const Tabla& tabla, const Consulta& consulta,
                                                 const std::vector<Igualdad>& condiciones) {
    engine::Query query;
    query.table = tabla.esquema.name;
    for (const Igualdad& condicion : condiciones)
        query.conditions.push_back(
            {condicion.columna, engine::Comparison::Equal, condicion.literal});
    std::unique_ptr<engine::Cursor> cursor = bdd_->select(query);
    ResultadoConsulta resultado;
    resultado.campos = &consulta.campos;
    while (cursor->next())
        if (++resultado.cuantos == 1)
            for (int columna : consulta.leidos) resultado.valores.push_back(cursor->value(columna));
    if (resultado.cuantos != 1) resultado.valores.clear();
    return resultado;
}

}  // namespace pelmora
