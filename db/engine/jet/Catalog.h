// The system catalog, MSysObjects, whose definition is always on page 2. Each of
// its rows is an object of the database; rows of Type 1 are the local tables,
// whose definition starts on the page given by the low 24 bits of their Id.
// Flags 0x80000002 mark the system tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

struct CatalogEntry {
    std::string name;
    int32_t id = 0;
    uint32_t definitionPage = 0;
    int32_t flags = 0;
    bool system = false;
    RowPointer row;  // its row in MSysObjects
};

class Catalog {
  public:
    static constexpr uint32_t kCatalogPage = 2;

    explicit Catalog(PageFile& file);

    // The tables in the engine's order: by name, as the catalog's name index orders them.
    const std::vector<CatalogEntry>& tables() const { return tables_; }
    // By name, case-insensitively; null when missing.
    const CatalogEntry* find(const std::string& name) const;
    const TableDefinition& definition() const { return catalog_; }
    // The table's property blob (its LvProp), empty when it has none.
    std::string propertyBlob(const CatalogEntry& entry);

  private:
    int column(const char* name) const;

    PageFile& file_;
    TableDefinition catalog_;
    std::vector<CatalogEntry> tables_;
};

}  // namespace pelmora::engine::jet
