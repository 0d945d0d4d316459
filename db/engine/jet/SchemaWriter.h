// Creating tables and adding columns in a Jet file, each one operation of the
// row writer's pages (all of it written, or nothing): a new table gets its
// definition page, a page with its two usage maps (its pages, its pages with
// room), its row in MSysObjects (the Tables container as parent, the database's
// owner, its column properties in LvProp) and the access rights the Tables
// container hands down to new tables in MSysACEs, every index of those tables
// kept by the row writer. A column's AllowZeroLength, Required and DefaultValue
// go into LvProp, an autonumber's mark into the column's flags (a replication ID
// also gets the GenGUID() default), as Access stores them. A new column is spliced
// into the definition; the rows already stored keep their bytes and read it as Null
// (a yes/no as false), so a required or autonumber column is added only to a table
// without rows.
#pragma once

#include <string>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/RowWriter.h"

namespace pelmora::engine::jet {

class SchemaWriter {
  public:
    SchemaWriter(JetFile& file, RowWriter& rows) : file_(file), rows_(rows) {}

    // A new table with its indexes, each an empty tree (its root an empty leaf).
    void createTable(const TableSchema& table, const std::vector<Index>& indexes);
    void addColumn(const std::string& table, const Column& column);
    void setDefaultValue(const std::string& table, const std::string& column, const Value& value);

  private:
    // Runs `edit` as one operation and reloads what it changed.
    template <typename Edit>
    void operation(const std::string& table, Edit edit);

    JetFile& file_;
    RowWriter& rows_;
};

// A name Access accepts for a table or a column of `file`, its code page holding
// every character; throws Error saying why not.
void checkObjectName(const std::string& name, const std::string& what, const PageFile& file);

}  // namespace pelmora::engine::jet
