// The soundness check of an SQLite file: SQLite's own integrity and foreign-key
// checks, and every stored value against the engine type of its column.
#pragma once

#include <string>
#include <vector>

#include "db/engine/sqlite/Catalog.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

// One Spanish line per problem; empty when the file is sound.
std::vector<std::string> verify(Connection& connection, Catalog& catalog);

}  // namespace pelmora::engine::sqlite
