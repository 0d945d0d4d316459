// The engine's lookup: the rows of one table whose key columns equal given values,
// answered from memory. Its first use reads the table once, in stored order, and
// keeps for each key (EqualKey.h, the rule every backend's conditions follow) how
// many rows have it and, of the first, the values of the columns asked for; each
// lookup then costs one hash lookup. It answers only where keys stand for the
// comparison exactly; the caller puts the others to the database. Rows written
// after the first use are not seen: a lookup lives as long as a run that reads the
// table without changing it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Database.h"
#include "db/engine/EqualKey.h"
#include "db/engine/KeyTable.h"

namespace pelmora::engine {

class Lookup {
  public:
    // `keys` and `kept` are indexes of columns of `table`.
    Lookup(Database& db, TableSchema table, std::vector<int> keys, std::vector<int> kept)
        : db_(db), table_(std::move(table)), keys_(std::move(keys)), kept_(std::move(kept)) {}

    // The rows whose key columns equal the literals, `literalAt(i)` compared with the
    // i-th key column (a count of 0 when none); nullopt when keys cannot stand for
    // one of the comparisons. The kept values are packed (PackedRow.h).
    template <typename LiteralAt>
    std::optional<KeyTable::Found> find(LiteralAt&& literalAt) {
        if (!keyOf(literalAt, key_)) return std::nullopt;
        return findKey(key_);
    }

    // The same in steps, for lookups made in a batch: the key of the literals (false
    // when keys cannot stand for the comparisons), then what the lookup reads fetched
    // ahead (KeyTable::prefetch), then the rows with the key.
    template <typename LiteralAt>
    bool keyOf(LiteralAt&& literalAt, std::string& key) const {
        key.clear();
        for (size_t i = 0; i < keys_.size(); ++i)
            if (!appendLiteralKey(key, table_.columns[keys_[i]].type, literalAt(i))) return false;
        return true;
    }
    void prefetch(std::string_view key, bool entry) {
        build();
        rows_.prefetch(key, entry);
    }
    KeyTable::Found findKey(std::string_view key) {
        build();
        if (std::optional<KeyTable::Found> found = rows_.find(key)) return *found;
        return {};
    }

    // Reads the table now, unless it was read already; a read that fails keeps nothing.
    void build();
    // How many distinct keys the table read has.
    size_t size() const { return rows_.size(); }

  private:
    Database& db_;
    TableSchema table_;
    std::vector<int> keys_;
    std::vector<int> kept_;
    bool built_ = false;
    KeyTable rows_;
    std::string key_;  // of the lookup in hand, kept to spare an allocation each
};

}  // namespace pelmora::engine
