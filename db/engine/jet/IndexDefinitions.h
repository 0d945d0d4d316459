// A Jet table's indexes as the engine names them, and the physical and logical
// indexes (TableDefinition.h) that a new table's indexes become: one logical
// index each, in the order given, numbered from 0; indexes on the same columns
// with the same rules share one physical index, as Access makes them.
#pragma once

#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/jet/JetFile.h"

namespace pelmora::engine::jet {

// The table's indexes in the order its definition lists them, those of a
// relationship (foreign keys) left out.
std::vector<Index> indexesOf(const JetTable& table);

// Sets the physical and logical indexes of `table`, whose columns are in place,
// from `indexes` (checked by checkNewIndexes). Usage maps and root pages are left
// for the caller to make.
void defineIndexes(TableDefinition& table, const std::vector<Index>& indexes, const Format& format);

}  // namespace pelmora::engine::jet
