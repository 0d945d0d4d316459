// The behaviour every engine backend shares, written once against the engine's
// front (Database, TableDef, Recordset) and run on a fresh, empty database of
// each backend: query semantics, and the recordset's Access-like behaviour.
#pragma once

#include "db/engine/Database.h"

namespace pelmora::prueba {

// Names case-insensitive (accents too), stored order, ORDER BY stable with Nulls
// first, conditions compared as the engine's text comparison defines, Null
// matching nothing and "= Null" matching no row, Null apart from empty text,
// yes/no and date/time values.
void checkQuerySemantics(engine::Database& db);

// RecordCount before and after MoveLast, Edit/Update on every row during a scan,
// snapshots refusing edits, defaults of a column added to a table with rows,
// defaults for the fields AddNew leaves unset and Null for those set to Null.
void checkRecordsetBehaviour(engine::Database& db);

}  // namespace pelmora::prueba
