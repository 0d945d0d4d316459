// Lookups "Select T.* from T WHERE c1=v1 AND c2=v2 ...;" answered from memory by the
// engine's lookup (Lookup.h), one per table and set of columns compared, which keeps
// of the first record the fields the caller reads: each lookup costs one hash lookup
// and no statement. The answer is the engine's: texts equal by its case-insensitive
// comparison, numbers by value, Null matching nothing. Comparisons the lookup cannot
// stand for exactly (columns of other types, a text compared with a number column)
// run on the database as a query.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/engine/Database.h"
#include "db/engine/Lookup.h"

namespace pelmora {

// One condition of a lookup: the column equals the literal (a text or a number, as
// the statement would write it).
struct Igualdad {
    std::string columna;
    engine::Value literal;
};

// What a lookup selects: how many records and, when exactly one, the values of the
// fields asked for that the table has (`campos` names them, in the order asked).
struct ResultadoConsulta {
    int32_t cuantos = 0;
    const engine::TableSchema* campos = nullptr;
    engine::Row valores;
};

class ConsultasEnMemoria {
  public:
    explicit ConsultasEnMemoria(std::shared_ptr<engine::Database> bdd) : bdd_(std::move(bdd)) {}

    // The records of `tabla` that meet every condition. A table name the statement
    // could not hold, a missing table or a missing condition column is the engine's error.
    ResultadoConsulta Busca(const std::string& tabla, const std::vector<Igualdad>& condiciones,
                            const std::vector<std::string>& campos);
    // The same when it can be answered from memory; nullopt when it needs the database.
    std::optional<ResultadoConsulta> BuscaEnMemoria(const std::string& tabla,
                                                    const std::vector<Igualdad>& condiciones,
                                                    const std::vector<std::string>& campos);
    // Several lookups of one table, each answered as BuscaEnMemoria answers it, with
    // what they read in memory fetched for all before any is answered: scattered
    // lookups in a batch then wait for memory about once rather than once each.
    std::vector<std::optional<ResultadoConsulta>> BuscaVariasEnMemoria(
        const std::string& tabla, const std::vector<std::vector<Igualdad>>& condiciones,
        const std::vector<std::string>& campos);
    // Reads now the table that lookups comparing `columnas` and reading `campos` would
    // read at their first use; what fails is left for that use to meet, as it would.
    // How many distinct values of `columnas` it found (0 when it read none).
    size_t Prepara(const std::string& tabla, const std::vector<std::string>& columnas,
                   const std::vector<std::string>& campos) noexcept;
    const std::string& ruta() const { return bdd_->path(); }

  private:
    // One set of compared columns and fields read, on one table.
    struct Consulta {
        std::vector<std::string> comparadas;  // the columns compared and the fields read,
        std::vector<std::string> pedidos;     // as the lookups name them
        std::vector<int> columnas;            // compared, by index in the table; -1 when missing
        std::vector<int> leidos;              // read, by index in the table
        engine::TableSchema campos;           // the fields read, as a table of their own
        // The engine's lookup, when every compared column is there.
        std::optional<engine::Lookup> filas;
    };
    struct Tabla {
        engine::TableSchema esquema;
        std::vector<std::unique_ptr<Consulta>> consultas;  // a few per table
    };

    Tabla& TablaDe(const std::string& nombre);
    Consulta& ConsultaDe(Tabla& tabla, const std::vector<Igualdad>& condiciones,
                         const std::vector<std::string>& campos);
    static ResultadoConsulta Resultado(const Consulta& consulta,
                                       const engine::KeyTable::Found& hallado);
    ResultadoConsulta BuscaEnBdD(const Tabla& tabla, const Consulta& consulta,
                                 const std::vector<Igualdad>& condiciones);

    std::shared_ptr<engine::Database> bdd_;
    std::unordered_map<std::string, Tabla> tablas_;  // by the name as the lookups give it
};

}  // namespace pelmora
