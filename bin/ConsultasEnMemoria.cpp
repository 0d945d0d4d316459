#include "bin/ConsultasEnMemoria.h"

#include <charconv>

#include "db/engine/Recordset.h"
#include "db/engine/Text.h"

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

// Key parts: a text by its upper-cased form (two texts are equal for the engine exactly
// when those are), length-prefixed; a number by its value, ended by a bar.
void anadeTexto(std::string& clave, const std::string& texto) {
    const std::string mayusculas = engine::upperCase(texto);
    clave += std::to_string(mayusculas.size());
    clave += ':';
    clave += mayusculas;
}

void anadeNumero(std::string& clave, double numero) {
    char cifras[32];
    auto [fin, error] = std::to_chars(cifras, cifras + sizeof cifras, numero == 0 ? 0.0 : numero);
    clave.append(cifras, fin);
    clave += '|';
}

// The key part of a stored value; false when the value can equal no literal.
bool anadeGuardado(std::string& clave, Type tipo, const Value& valor) {
    if (esTexto(tipo) && valor.isText()) {
        anadeTexto(clave, valor.rawText());
        return true;
    }
    if (esNumero(tipo) && valor.isNumeric()) {
        anadeNumero(clave, valor.toDouble());
        return true;
    }
    return false;
}

// The key part of a literal compared with a column of that type; false when an
// index cannot stand for the comparison.
bool anadeLiteral(std::string& clave, Type tipo, const Value& literal) {
    if (esTexto(tipo) && (literal.isText() || literal.isNumeric())) {
        anadeTexto(clave, literal.isText() ? literal.rawText() : literal.toText());
        return true;
    }
    if (esNumero(tipo) && literal.isNumeric()) {
        anadeNumero(clave, literal.toDouble());
        return true;
    }
    return false;
}

}  // namespace

const engine::TableSchema& ConsultasEnMemoria::esquema(const std::string& tabla) {
    const std::string nombre = engine::upperCase(tabla);
    auto it = esquemas_.find(nombre);
    if (it == esquemas_.end()) it = esquemas_.emplace(nombre, bdd_->backend().schema(tabla)).first;
    return it->second;
}

ResultadoConsulta ConsultasEnMemoria::ejecuta(const std::string& sentencia) {
    const engine::Query consulta = engine::parseStatement(sentencia);
    const engine::TableSchema& tabla = esquema(consulta.table);
    std::vector<int> columnas;
    std::string clave;
    for (const engine::Condition& condicion : consulta.conditions) {
        const int columna = tabla.find(condicion.column);
        if (condicion.op != engine::Comparison::Equal || columna < 0 ||
            !anadeLiteral(clave, tabla.columns[columna].type, condicion.literal))
            return ejecutaEnBdD(sentencia);
        columnas.push_back(columna);
    }
    if (columnas.empty()) return ejecutaEnBdD(sentencia);

    const Indice& filas = indice(tabla, columnas);
    auto encontrada = filas.find(clave);
    if (encontrada == filas.end()) return {};
    ResultadoConsulta resultado{encontrada->second.cuantos, {}};
    if (resultado.cuantos == 1)
        resultado.unico = bdd_->backend().read(tabla.name, encontrada->second.primero);
    return resultado;
}

const ConsultasEnMemoria::Indice& ConsultasEnMemoria::indice(const engine::TableSchema& tabla,
                                                             const std::vector<int>& columnas) {
    std::string nombre = engine::upperCase(tabla.name);
    for (int columna : columnas) nombre += ',' + std::to_string(columna);
    auto it = indices_.find(nombre);
    if (it != indices_.end()) return it->second;

    Indice filas;
    engine::Query todas;
    todas.table = tabla.name;
    std::unique_ptr<engine::Cursor> cursor = bdd_->backend().select(todas);
    std::string clave;
    while (cursor->next()) {
        clave.clear();
        bool puedeCoincidir = true;
        for (int columna : columnas)
            puedeCoincidir = puedeCoincidir && anadeGuardado(clave, tabla.columns[columna].type,
                                                             cursor->value(columna));
        if (!puedeCoincidir) continue;
        Entrada& entrada = filas[clave];
        if (entrada.cuantos++ == 0) entrada.primero = cursor->id();
    }
    return indices_.emplace(nombre, std::move(filas)).first->second;
}

ResultadoConsulta ConsultasEnMemoria::ejecutaEnBdD(const std::string& sentencia) {
    std::unique_ptr<engine::Recordset> rs =
        bdd_->openRecordset(sentencia, engine::OpenMode::Snapshot);
    if (rs->eof()) return {};
    rs->moveFirst();
    rs->moveLast();
    ResultadoConsulta resultado{rs->recordCount(), {}};
    if (resultado.cuantos == 1)
        for (int i = 0; i < rs->fieldCount(); ++i)
            resultado.unico.push_back(rs->field(rs->fieldName(i)));
    return resultado;
}

}  // namespace pelmora
