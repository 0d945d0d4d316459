#include "db/engine/jet/IndexWriter.h"

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/ValueKey.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

bool changed(const RealIndex& index, const IndexWriter::Values& before,
             const IndexWriter::Values& after) {
    for (const auto& c : index.columns)
        if (!(before.at(c.column) == after.at(c.column))) return true;
    return false;
}

bool isPrimary(const TableDefinition& table, size_t real) {
    for (const auto& logical : table.indexes)
        if (logical.realIndex == real && logical.primaryKey()) return true;
    return false;
}

void appendPlace(RowPointer p, std::string& entry) {
    entry += static_cast<char>(p.page >> 16);
    entry += static_cast<char>(p.page >> 8);
    entry += static_cast<char>(p.page);
    entry += static_cast<char>(p.row);
}

std::string shown(const Value& v) {
    if (v.isNull()) return "Null";
    std::string text = v.toText();
    return text.size() > 60 ? text.substr(0, 60) + "…" : text;
}

// "a, b" from the values of some columns.
std::string shownValues(const IndexWriter::Values& row, const std::vector<int>& columns) {
    std::string out;
    for (int c : columns) out += (out.empty() ? "" : ", ") + shown(row.at(static_cast<size_t>(c)));
    return out;
}

std::vector<int> indexColumns(const RealIndex& index) {
    std::vector<int> columns;
    for (const auto& c : index.columns) columns.push_back(c.column);
    return columns;
}

// Positions of named columns; empty when one is missing.
std::vector<int> columnsNamed(const TableSchema& schema, const std::vector<std::string>& names) {
    std::vector<int> at;
    for (const auto& name : names) {
        const int i = schema.find(name);
        if (i < 0) return {};
        at.push_back(i);
    }
    return at;
}

}  // namespace

std::string IndexWriter::indexName(const TableDefinition& table, size_t real) const {
    const LogicalIndex* chosen = nullptr;
    for (const auto& logical : table.indexes)
        if (logical.realIndex == real && (!chosen || logical.primaryKey())) chosen = &logical;
    return chosen ? chosen->name : "físico " + std::to_string(real);
}

IndexTree& IndexWriter::tree(const JetTable& table, size_t real) {
    const TableDefinition& def = table.definition;
    auto& slot = trees_[{def.pages.front(), real}];
    const RealIndex& index = def.realIndexes[real];
    if (!slot || slot->rootPage() != index.rootPage)
        slot =
            std::make_unique<IndexTree>(store_, index, def.pages.front(),
                                        "el índice «" + indexName(def, real) + "» de la tabla «" +
                                            def.name + "» en «" + file_.path() + "»");
    return *slot;
}

void IndexWriter::forget() {
    trees_.clear();
    relationships_.reset();
}

const std::vector<Relationship>& IndexWriter::relationships() {
    if (!relationships_) relationships_ = readRelationships(file_);
    return *relationships_;
}

void IndexWriter::checkInsert(const JetTable& table, const Values& row) {
    checkColumns(table, row, nullptr);
    checkIndexes(table, row, nullptr, {});
    checkReferences(table, row, nullptr);
}

void IndexWriter::checkUpdate(const JetTable& table, RowPointer place, const Values& before,
                              const Values& after) {
    checkColumns(table, after, &before);
    checkIndexes(table, after, &before, place);
    checkReferences(table, after, &before);
    checkReferrers(table, before, after);
}

bool IndexWriter::holds(const JetTable& table, size_t column) {
    for (const RealIndex& index : table.definition.realIndexes)
        for (const IndexColumn& c : index.columns)
            if (c.column == static_cast<int>(column)) return true;
    const std::string& name = table.schema.columns.at(column).name;
    for (const Relationship& r : relationships()) {
        if (!r.enforced()) continue;
        if (sameName(r.table, table.schema.name))
            for (const std::string& c : r.columns)
                if (sameName(c, name)) return true;
        if (sameName(r.referencedTable, table.schema.name))
            for (const std::string& c : r.referencedColumns)
                if (sameName(c, name)) return true;
    }
    return false;
}

// Required and AllowZeroLength, on every column of a new row and on the changed
// columns of an updated one (an old row that breaks a rule added later can still
// have its other columns edited).
void IndexWriter::checkColumns(const JetTable& table, const Values& row, const Values* before) {
    for (size_t i = 0; i < table.schema.columns.size(); ++i) {
        if (before && before->at(i) == row.at(i)) continue;
        const Column& column = table.schema.columns[i];
        if (column.required && !column.autoNumber)
            requireValue(row[i], {file_.path(), table.schema.name, column});
        if (row[i].isText() && row[i].rawText().empty() && !column.allowZeroLength)
            throw Error("No se admite texto vacío en el campo «" + column.name + "» de la tabla «" +
                        table.schema.name + "» en «" + file_.path() + "»");
    }
}

void IndexWriter::checkIndexes(const JetTable& table, const Values& row, const Values* before,
                               RowPointer place) {
    const TableDefinition& def = table.definition;
    const Format& format = file_.pages().format();
    for (size_t i = 0; i < def.realIndexes.size(); ++i) {
        const RealIndex& index = def.realIndexes[i];
        if (before && !changed(index, *before, row)) continue;
        const std::string name = indexName(def, i);
        const std::string where = "la tabla «" + def.name + "» de «" + file_.path() + "»";
        std::string key;
        if (before) valueKey(def, index, format, *before, key);  // its entry goes away
        const bool any = valueKey(def, index, format, row, key);
        if (!any && index.ignoreNulls()) continue;
        for (const auto& c : index.columns) {
            const std::string why = unsupportedKeyColumn(def.columns[c.column], format);
            if (!why.empty())
                throw Error("No se puede escribir en " + where + ": el índice «" + name +
                            "» no se puede mantener porque " + why);
        }
        const bool primary = isPrimary(def, i);
        if (primary || index.required())
            for (const auto& c : index.columns)
                if (row.at(c.column).isNull() && def.columns[c.column].type != ColumnType::Boolean)
                    throw Error("No se puede escribir en " + where + ": " +
                                (primary ? "la clave principal «" : "el índice requerido «") +
                                name + "» no admite Null en el campo «" +
                                def.columns[c.column].name + "»");
        IndexTree& t = tree(table, i);
        if (key.size() + 4 > t.largestEntry())
            throw Error("No se puede escribir en " + where + ": la clave del índice «" + name +
                        "» ocupa " + std::to_string(key.size()) + " bytes, más de los " +
                        std::to_string(t.largestEntry() - 4) + " que admite");
        if (index.unique() && any && t.containsKey(key, before ? place.packed() : UINT32_MAX))
            throw Error("No se puede escribir en " + where + ": el valor «" +
                        shownValues(row, indexColumns(index)) + "» ya existe en " +
                        (primary ? "la clave principal «" : "el índice único «") + name +
                        "», que no admite duplicados");
    }
}

// Enforced relationships in which the row refers to another table's row.
void IndexWriter::checkReferences(const JetTable& table, const Values& row, const Values* before) {
    for (const Relationship& r : relationships()) {
        if (!r.enforced() || !sameName(r.table, table.schema.name)) continue;
        const std::vector<int> columns = columnsNamed(table.schema, r.columns);
        if (columns.empty()) continue;
        bool anyNull = false, anyChanged = !before;
        for (int c : columns) {
            anyNull = anyNull || row.at(c).isNull();
            anyChanged = anyChanged || !(before->at(c) == row.at(c));
        }
        if (anyNull || !anyChanged) continue;
        const auto referenced = file_.table(r.referencedTable);
        if (!rowsWithKey(*referenced, r.referencedColumns, table, r.columns, row))
            throw Error("No se puede escribir en la tabla «" + table.schema.name + "» de «" +
                        file_.path() + "»: el valor «" + shownValues(row, columns) +
                        "» del campo «" + table.schema.columns[columns.front()].name +
                        "» no existe en la tabla relacionada «" + referenced->schema.name +
                        "» (relación «" + r.name + "»)");
    }
}

// Enforced relationships in which other rows refer to this one: its key stays
// while they do (changes are not carried over to them).
void IndexWriter::checkReferrers(const JetTable& table, const Values& before, const Values& after) {
    for (const Relationship& r : relationships()) {
        if (!r.enforced() || !sameName(r.referencedTable, table.schema.name)) continue;
        const std::vector<int> columns = columnsNamed(table.schema, r.referencedColumns);
        if (columns.empty()) continue;
        bool anyNull = false, anyChanged = false;
        for (int c : columns) {
            anyNull = anyNull || before.at(c).isNull();
            anyChanged = anyChanged || !(before.at(c) == after.at(c));
        }
        if (anyNull || !anyChanged) continue;
        const auto referring = file_.table(r.table);
        if (rowsWithKey(*referring, r.columns, table, r.referencedColumns, before))
            throw Error("No se puede cambiar el campo «" +
                        table.schema.columns[columns.front()].name +
                        "» del registro de la tabla «" + table.schema.name + "» en «" +
                        file_.path() + "»: la tabla «" + referring->schema.name +
                        "» tiene registros relacionados con él (relación «" + r.name + "»)");
    }
}

// Whether `target` has a row whose `columns` hold the values that `fromRow` has
// in `fromColumns`; compared as the keys compare (text without regard to case).
// Through an index of exactly those columns when there is one, else by a scan.
bool IndexWriter::rowsWithKey(const JetTable& target, const std::vector<std::string>& columns,
                              const JetTable& from, const std::vector<std::string>& fromColumns,
                              const Values& fromRow) {
    const TableDefinition& def = target.definition;
    const Format& format = file_.pages().format();
    const std::vector<int> at = columnsNamed(target.schema, columns);
    const std::vector<int> fromAt = columnsNamed(from.schema, fromColumns);
    if (at.empty() || at.size() != fromAt.size()) return false;
    Values probe(def.columns.size());
    RealIndex plain;
    for (size_t k = 0; k < at.size(); ++k) {
        try {
            probe[at[k]] = fitToColumn(fromRow.at(fromAt[k]), {file_.path(), target.schema.name,
                                                               target.schema.columns[at[k]]});
        } catch (const Error&) {
            return false;  // a value the column cannot hold is in no row of it
        }
        plain.columns.push_back({at[k], true});
    }
    std::string key;
    for (size_t i = 0; i < def.realIndexes.size(); ++i) {
        const RealIndex& index = def.realIndexes[i];
        bool same = index.columns.size() == at.size();
        for (size_t k = 0; same && k < at.size(); ++k)
            same = index.columns[k].column == at[k] &&
                   unsupportedKeyColumn(def.columns[at[k]], format).empty();
        if (!same) continue;
        valueKey(def, index, format, probe, key);
        return tree(target, i).containsKey(key);
    }
    valueKey(def, plain, format, probe, key);
    ValueReader values(file_.pages());
    TableScan scan(file_.pages(), def);
    std::string rowKeyBytes;
    while (scan.next())
        if (rowKey(def, plain, format, scan.row(), values, rowKeyBytes) && rowKeyBytes == key)
            return true;
    return false;
}

void IndexWriter::inserted(const JetTable& table, RowPointer place, const Values& row) {
    updated(table, place, Values(), row);
}

void IndexWriter::updated(const JetTable& table, RowPointer place, const Values& before,
                          const Values& after) {
    const TableDefinition& def = table.definition;
    const Format& format = file_.pages().format();
    try {
        for (size_t i = 0; i < def.realIndexes.size(); ++i) {
            const RealIndex& index = def.realIndexes[i];
            if (!before.empty() && !changed(index, before, after)) continue;
            IndexTree& t = tree(table, i);
            std::string key;
            for (const auto& c : index.columns)
                if (!unsupportedKeyColumn(def.columns[c.column], format).empty())
                    throw Error("No se puede escribir en la tabla «" + def.name + "» de «" +
                                file_.path() +
                                "»: " + unsupportedKeyColumn(def.columns[c.column], format));
            if (!before.empty() &&
                (valueKey(def, index, format, before, key) || !index.ignoreNulls())) {
                appendPlace(place, key);
                t.remove(key);  // an entry already missing stays missing
            }
            if (valueKey(def, index, format, after, key) || !index.ignoreNulls()) {
                appendPlace(place, key);
                t.insert(key);
            }
        }
        for (auto& [id, t] : trees_) t->commit();
    } catch (...) {
        for (auto& [id, t] : trees_) t->discard();
        throw;
    }
}

}  // namespace pelmora::engine::jet
