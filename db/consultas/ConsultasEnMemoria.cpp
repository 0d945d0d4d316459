#include "db/consultas/ConsultasEnMemoria.h"

#include "db/Lectura.h"
#include "db/consultas/FilaCompacta.h"
#include "db/engine/EqualKey.h"

namespace pelmora {
namespace {

using engine::Type;
using engine::Value;

bool esTexto(Type tipo) {
    return tipo == Type::Text || tipo == Type::Memo;
}

bool esNumero(Type tipo) {
    return tipo == Type::Byte || tipo == Type::Integer || tipo == Type::Long ||
           tipo == Type::Single || tipo == Type::Double;
}

// The key part of a stored value; false when the value can equal no literal.
bool anadeGuardado(std::string& clave, Type tipo, const Value& valor) {
    if (esTexto(tipo) && valor.isText()) {
        engine::appendTextKey(clave, valor.rawText());
        return true;
    }
    if (esNumero(tipo) && valor.isNumeric()) {
        engine::appendNumberKey(clave, valor.toDouble());
        return true;
    }
    return false;
}

// The key part of a literal compared with a column of that type; false when an
// index cannot stand for the comparison.
bool anadeLiteral(std::string& clave, Type tipo, const Value& literal) {
    if (esTexto(tipo) && (literal.isText() || literal.isNumeric())) {
        engine::appendTextKey(clave, literal.isText() ? literal.rawText() : literal.toText());
        return true;
    }
    if (esNumero(tipo) && literal.isNumeric()) {
        engine::appendNumberKey(clave, literal.toDouble());
        return true;
    }
    return false;
}

}  // namespace

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
    tabla.consultas.push_back(std::move(consulta));
    return *tabla.consultas.back();
}

void ConsultasEnMemoria::Construye(const Tabla& tabla, Consulta& consulta) {
    engine::Query todas;
    todas.table = tabla.esquema.name;
    std::unique_ptr<engine::Cursor> cursor = bdd_->select(todas);
    std::string clave;
    while (cursor->next()) {
        clave.clear();
        bool puedeCoincidir = true;
        for (int columna : consulta.columnas)
            puedeCoincidir =
                puedeCoincidir &&
                anadeGuardado(clave, tabla.esquema.columns[columna].type, cursor->value(columna));
        if (!puedeCoincidir) continue;
        consulta.filas.Anade(clave, [&](std::string& datos) {
            for (int columna : consulta.leidos) AnadeValor(datos, cursor->value(columna));
        });
    }
    consulta.construida = true;
}

engine::Row& ResultadoConsulta::Leidos() {
    if (!sinLeer.empty()) valores = LeeValores(sinLeer);
    sinLeer = {};
    return valores;
}

ResultadoConsulta ConsultasEnMemoria::Busca(const std::string& nombre,
                                            const std::vector<Igualdad>& condiciones,
                                            const std::vector<std::string>& campos,
                                            Valores valores) {
    Tabla& tabla = TablaDe(nombre);
    Consulta& consulta = ConsultaDe(tabla, condiciones, campos);
    std::string clave;
    for (size_t i = 0; i < condiciones.size(); ++i) {
        const int columna = consulta.columnas[i];
        if (columna < 0 ||
            !anadeLiteral(clave, tabla.esquema.columns[columna].type, condiciones[i].literal))
            return BuscaEnBdD(tabla, consulta, condiciones);
    }
    if (condiciones.empty()) return BuscaEnBdD(tabla, consulta, condiciones);
    if (!consulta.construida) Construye(tabla, consulta);

    ResultadoConsulta resultado;
    resultado.campos = &consulta.campos;
    const std::optional<IndiceDeClaves::Hallado> hallado = consulta.filas.Busca(clave);
    if (!hallado) return resultado;
    resultado.cuantos = hallado->cuantos;
    resultado.nota = hallado->nota;
    if (resultado.cuantos != 1) return resultado;
    resultado.sinLeer = hallado->valores;
    if (valores == Valores::Leidos) resultado.Leidos();
    return resultado;
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
