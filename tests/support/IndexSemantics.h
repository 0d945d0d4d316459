// The indexes every SQL backend gives a new table, written once against the
// engine's front and run on a fresh, empty database of each backend: primary
// keys, unique and plain indexes, descending columns, a name Access repeats from
// table to table, rows kept in their stored order, and duplicates refused.
#pragma once

#include <string>

#include "db/engine/Database.h"

namespace pelmora::prueba {

// Makes the tables "Parcelas", "Recintos" and "Clases" with their indexes and a
// few rows, and checks them through the engine; the backend's own tool may look
// at them afterwards.
void checkIndexes(engine::Database& db);

// "PrimaryKey: municipio, numero DESC (única, principal)", to compare indexes.
std::string described(const engine::Index& index);

}  // namespace pelmora::prueba
