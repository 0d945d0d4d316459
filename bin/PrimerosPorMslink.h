// The record that a scan of a whole table, in stored order, finds first for each
// mslink when it compares the field mslink with a number: read once per table,
// then each lookup is one hash lookup. The marks of the Correlate run are written
// through the record's locator, once per record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "db/engine/Database.h"

namespace pelmora {

class PrimerosPorMslink {
  public:
    // Reads the table as "Select T.* from T;" would. A table without the column
    // mslink is an error when it holds a record, as reading the field would be.
    PrimerosPorMslink(engine::Database& bdd, const std::string& tabla);

    // The first record whose mslink equals `mslink`; a record whose mslink is Null
    // never does. A value that is not a number, met by the scan before that record
    // (or at all, when there is none), ends the lookup with a message naming the
    // database, the table, the record, the column and the mslink looked up.
    std::optional<engine::RowId> Busca(int32_t mslink) const;

    // Sets Tcorrelate to true on the record. A record already marked in this walk
    // keeps its mark without another write.
    void Marca(engine::RowId registro);

  private:
    struct Primero {
        int64_t orden = 0;  // 0-based position in stored order
        engine::RowId registro = 0;
    };
    struct Ilegible {
        int64_t orden = 0;
        std::string motivo;
    };

    engine::Database& bdd_;
    engine::TableSchema tabla_;
    std::unordered_map<int32_t, Primero> primeros_;
    std::optional<Ilegible> ilegible_;  // the first record whose mslink is not a number
    std::unordered_set<engine::RowId> marcados_;
};

}  // namespace pelmora
