#include "db/engine/Lookup.h"

#include "db/engine/PackedRow.h"

namespace pelmora::engine {

void Lookup::build() {
    if (built_) return;
    KeyTable rows;
    Query all;
    all.table = table_.name;
    std::unique_ptr<Cursor> cursor = db_.select(all);
    rows.reserve(cursor->sizeHint());
    std::string key;
    while (cursor->next()) {
        key.clear();
        bool canEqual = true;
        for (size_t i = 0; i < keys_.size() && canEqual; ++i)
            canEqual = appendStoredKey(key, table_.columns[keys_[i]].type, cursor->value(keys_[i]));
        if (!canEqual) continue;
        rows.add(key, [&](std::string& packed) {
            for (int column : kept_) appendPacked(packed, cursor->value(column));
        });
    }
    rows_ = std::move(rows);
    built_ = true;
}

}  // namespace pelmora::engine
