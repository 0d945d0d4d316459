#include "db/engine/jet/Relationships.h"

#include <map>

#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

std::string text(const Value& v) {
    return v.isNull() ? std::string() : v.toText();
}

}  // namespace

std::vector<Relationship> readRelationships(JetFile& file) {
    if (!file.catalog().find("MSysRelationships")) return {};
    const auto table = file.table("MSysRelationships");
    const TableSchema& schema = table->schema;
    const TableDefinition& definition = table->definition;
    const char* names[] = {"szRelationship",     "szObject", "szColumn", "szReferencedObject",
                           "szReferencedColumn", "grbit",    "icolumn"};
    int at[7];
    for (int i = 0; i < 7; ++i) {
        at[i] = schema.find(names[i]);
        if (at[i] < 0)
            file.pages().corrupt(std::string("a la tabla MSysRelationships le falta la columna «") +
                                 names[i] + "»");
    }
    std::map<std::string, std::map<int, std::pair<std::string, std::string>>> pairs;
    std::map<std::string, Relationship> byName;
    ValueReader values(file.pages());
    TableScan scan(file.pages(), definition);
    while (scan.next()) {
        Value read[7];
        for (int i = 0; i < 7; ++i) read[i] = values.read(definition.columns[at[i]], scan.row());
        Relationship& r = byName[text(read[0])];
        r.name = text(read[0]);
        r.table = text(read[1]);
        r.referencedTable = text(read[3]);
        r.flags = read[5].isNull() ? 0 : static_cast<int32_t>(read[5].rawInt());
        const int place = read[6].isNull() ? 0 : static_cast<int>(read[6].rawInt());
        pairs[r.name][place] = {text(read[2]), text(read[4])};
    }
    std::vector<Relationship> result;
    for (auto& [name, r] : byName) {
        for (const auto& [place, pair] : pairs[name]) {
            r.columns.push_back(pair.first);
            r.referencedColumns.push_back(pair.second);
        }
        result.push_back(std::move(r));
    }
    return result;
}

}  // namespace pelmora::engine::jet
