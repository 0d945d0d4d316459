#include "db/engine/jet/IndexDefinitions.h"

#include "db/engine/Text.h"

namespace pelmora::engine::jet {

namespace {

int columnIndex(const TableDefinition& table, const std::string& name) {
    for (size_t i = 0; i < table.columns.size(); ++i)
        if (sameName(table.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

bool sameKey(const RealIndex& a, const RealIndex& b) {
    if (a.flags != b.flags || a.columns.size() != b.columns.size()) return false;
    for (size_t i = 0; i < a.columns.size(); ++i)
        if (a.columns[i].column != b.columns[i].column ||
            a.columns[i].ascending != b.columns[i].ascending)
            return false;
    return true;
}

}  // namespace

std::vector<Index> indexesOf(const JetTable& table) {
    const TableDefinition& t = table.definition;
    std::vector<Index> found;
    for (const LogicalIndex& logical : t.indexes) {
        if (logical.foreignKey()) continue;
        const RealIndex& real = t.realIndexes[logical.realIndex];
        Index index;
        index.name = logical.name;
        index.primaryKey = logical.primaryKey();
        index.unique = index.primaryKey || real.unique();
        for (const IndexColumn& c : real.columns)
            index.columns.push_back({t.columns[c.column].name, !c.ascending});
        found.push_back(std::move(index));
    }
    return found;
}

void defineIndexes(TableDefinition& table, const std::vector<Index>& indexes,
                   const Format& format) {
    for (const Index& index : indexes) {
        RealIndex real;
        for (const IndexedColumn& c : index.columns)
            real.columns.push_back({columnIndex(table, c.name), !c.descending});
        real.flags = (index.unique || index.primaryKey ? RealIndex::kUnique : 0) |
                     (index.primaryKey ? RealIndex::kRequired : 0) |
                     (format.unicode ? RealIndex::kJet4Mark : 0);
        LogicalIndex logical;
        logical.name = index.name;
        logical.number = static_cast<uint32_t>(table.indexes.size());
        logical.kind = index.primaryKey ? LogicalIndex::kPrimaryKey : 0;
        logical.realIndex = static_cast<uint32_t>(table.realIndexes.size());
        for (size_t r = 0; r < table.realIndexes.size(); ++r)
            if (sameKey(table.realIndexes[r], real)) logical.realIndex = static_cast<uint32_t>(r);
        if (logical.realIndex == table.realIndexes.size()) table.realIndexes.push_back(real);
        table.indexes.push_back(logical);
    }
}

}  // namespace pelmora::engine::jet
