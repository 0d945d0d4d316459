// Statements "Select T.* from T WHERE c1=v1 AND c2=v2 ...;" answered from memory:
// each table is read once per set of columns and every later statement costs one
// hash lookup. The answer is the engine's own: texts equal by its case-insensitive
// comparison, numbers by value, Null matching nothing, the first record in stored
// order. Statements an index cannot stand for exactly (other operators, columns of
// other types, a text compared with a number column) run on the database as written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/engine/Database.h"

namespace pelmora {

// What a statement selects: how many records and, when exactly one, that record.
struct ResultadoConsulta {
    int32_t cuantos = 0;
    engine::Row unico;
};

class ConsultasEnMemoria {
  public:
    explicit ConsultasEnMemoria(std::shared_ptr<engine::Database> bdd) : bdd_(std::move(bdd)) {}

    ResultadoConsulta ejecuta(const std::string& sentencia);
    // The columns of a table of the database, read once.
    const engine::TableSchema& esquema(const std::string& tabla);
    const std::string& ruta() const { return bdd_->path(); }

  private:
    struct Entrada {
        int32_t cuantos = 0;
        engine::RowId primero = 0;
    };
    using Indice = std::unordered_map<std::string, Entrada>;

    const Indice& indice(const engine::TableSchema& tabla, const std::vector<int>& columnas);
    ResultadoConsulta ejecutaEnBdD(const std::string& sentencia);

    std::shared_ptr<engine::Database> bdd_;
    std::map<std::string, engine::TableSchema> esquemas_;  // by upper-cased name
    std::map<std::string, Indice> indices_;                // by table and columns
};

}  // namespace pelmora
