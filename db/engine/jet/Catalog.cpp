#include "db/engine/jet/Catalog.h"

#include <algorithm>

#include "db/engine/Text.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {
constexpr int16_t kTableObject = 1;
constexpr uint32_t kSystemFlags = 0x80000002;
}  // namespace

int Catalog::column(const char* name) const {
    for (size_t i = 0; i < catalog_.columns.size(); ++i)
        if (sameName(catalog_.columns[i].name, name)) return static_cast<int>(i);
    file_.corrupt(std::string("al catálogo MSysObjects le falta la columna «") + name + "»");
}

Catalog::Catalog(PageFile& file)
    : file_(file), catalog_(readTableDefinition(file, kCatalogPage, "MSysObjects")) {
    const ColumnDef& id = catalog_.columns[column("Id")];
    const ColumnDef& name = catalog_.columns[column("Name")];
    const ColumnDef& type = catalog_.columns[column("Type")];
    const ColumnDef& flags = catalog_.columns[column("Flags")];
    ValueReader values(file);
    TableScan scan(file, catalog_);
    while (scan.next()) {
        Value t = values.read(type, scan.row());
        if (t.isNull() || t.rawInt() != kTableObject) continue;
        CatalogEntry entry;
        Value n = values.read(name, scan.row());
        Value i = values.read(id, scan.row());
        Value fl = values.read(flags, scan.row());
        if (n.isNull() || i.isNull()) continue;
        entry.name = n.rawText();
        entry.id = static_cast<int32_t>(i.rawInt());
        entry.definitionPage = static_cast<uint32_t>(entry.id) & 0x00FFFFFF;
        entry.flags = fl.isNull() ? 0 : static_cast<int32_t>(fl.rawInt());
        entry.system = (static_cast<uint32_t>(entry.flags) & kSystemFlags) != 0;
        entry.row = scan.position();
        tables_.push_back(std::move(entry));
    }
    std::stable_sort(tables_.begin(), tables_.end(),
                     [](const CatalogEntry& a, const CatalogEntry& b) {
                         return compareText(a.name, b.name) < 0;
                     });
}

const CatalogEntry* Catalog::find(const std::string& name) const {
    for (const auto& entry : tables_)
        if (sameName(entry.name, name)) return &entry;
    return nullptr;
}

std::string Catalog::propertyBlob(const CatalogEntry& entry) {
    PageRef holder;
    RowView row;
    if (!locateRow(file_, catalog_, entry.row, holder, row)) return {};
    Value blob = ValueReader(file_).read(catalog_.columns[column("LvProp")], row);
    return blob.isNull() ? std::string() : blob.rawText();
}

}  // namespace pelmora::engine::jet
