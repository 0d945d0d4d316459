// The record that a scan of a whole table, in stored order, finds first for each
// mslink when it compares the field mslink with a number: read once per table,
// then each lookup is one hash lookup. The marks of the Correlate run are kept
// and written together, once per record, in the order of the records' locators,
// which visits the table's pages in order however scattered the lookups were.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/consultas/TablaPorMslink.h"
#include "db/engine/Database.h"

namespace pelmora {

class PrimerosPorMslink {
  public:
    struct Primero {
        int64_t orden = 0;  // 0-based position in stored order
        engine::RowId registro = 0;
        bool marcado = false;  // Tcorrelate written by this walk
    };

    // Reads the table as "Select T.* from T;" would. A table without the column
    // mslink is an error when it holds a record, as reading the field would be.
    PrimerosPorMslink(engine::Database& bdd, const std::string& tabla);

    // The first record whose mslink equals `mslink`; a record whose mslink is Null
    // never does. A value that is not a number, met by the scan before that record
    // (or at all, when there is none), ends the lookup with a message naming the
    // database, the table, the record, the column and the mslink looked up.
    Primero* Busca(int32_t mslink);

    // Notes that Tcorrelate is to be true on a record Busca found; a table without
    // that column is an error at its first mark. A record already marked in this
    // walk is not written again.
    void Marca(Primero& registro);
    // Writes the marks noted and not yet written; when one cannot be written it
    // and those after it stay noted, and the error is thrown.
    void EscribeMarcas();

  private:
    struct Ilegible {
        int64_t orden = 0;
        std::string motivo;
    };

    engine::Database& bdd_;
    engine::TableSchema tabla_;
    TablaPorMslink<Primero> primeros_;
    std::optional<Ilegible> ilegible_;       // the first record whose mslink is not a number
    int columnaMarca_ = -1;                  // Tcorrelate's column, found at the first mark
    std::vector<engine::RowId> pendientes_;  // marks noted and not yet written
};

}  // namespace pelmora
