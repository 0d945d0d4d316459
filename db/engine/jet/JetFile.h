// An open .mdb or .accdb file: its pages, header and catalog, and the tables read so far
// (definition and schema, each read once while no other writer may have changed
// them). Cursors share it with the backend.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "db/engine/Schema.h"
#include "db/engine/jet/Catalog.h"
#include "db/engine/jet/Header.h"

namespace pelmora::engine::jet {

struct JetTable {
    TableDefinition definition;
    TableSchema schema;
};

class JetFile {
  public:
    explicit JetFile(const std::string& path);

    PageFile& pages() { return pages_; }
    const Header& header() const { return header_; }
    Catalog& catalog();
    const std::string& path() const { return pages_.path(); }

    // A table by name (case-insensitive); throws Error naming the file when missing.
    std::shared_ptr<const JetTable> table(const std::string& name);
    // Drops what was read of a table, after its definition was written.
    void forgetTable(const std::string& name);
    // Keeps what was read of a table right after a row was added to it.
    void noteCounts(const std::string& name, uint32_t rows, uint32_t autoNumber);
    // Reads the catalog again (and every table afresh), after tables were created.
    void reloadCatalog();

  private:
    // Drops the catalog and tables read from pages that another writer may have
    // changed since (a write group began, or one was abandoned).
    void refresh();

    PageFile pages_;
    Header header_;
    std::unique_ptr<Catalog> catalog_;
    std::map<std::string, std::shared_ptr<JetTable>> tables_;  // by upper-cased name
    uint64_t generation_ = 0;  // of the pages the catalog and tables were read from
};

// Calculated columns take the type of their results from their ResultType property.
void setResultTypes(TableDefinition& table, const std::string& propertyBlob, const PageFile& file,
                    const std::string& path);

// The engine's schema of a stored table: types, sizes and the column properties.
TableSchema schemaOf(const TableDefinition& table, const Format& format, const CodePage& codePage,
                     const std::string& propertyBlob, const std::string& path);

}  // namespace pelmora::engine::jet
