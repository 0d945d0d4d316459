#include "db/engine/jet/IndexCheck.h"

#include <algorithm>

#include "db/engine/Error.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/IndexPages.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/UsageMap.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kReportedPerIndex = 10;

std::string hexBytes(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string place(RowPointer p) {
    return "(página " + std::to_string(p.page) + ", fila " + std::to_string(p.row) + ")";
}

std::string indexName(const TableDefinition& table, size_t real) {
    for (const auto& logical : table.indexes)
        if (logical.realIndex == real) return logical.name;
    return "físico " + std::to_string(real);
}

void appendPlace(RowPointer p, std::string& entry) {
    entry += static_cast<char>(p.page >> 16);
    entry += static_cast<char>(p.page >> 8);
    entry += static_cast<char>(p.page);
    entry += static_cast<char>(p.row);
}

// Entries derived from the rows, sorted as the index must hold them; a unique
// index's rows that share a key (not all Null) go to `problems`.
std::vector<std::string> derivedEntries(PageFile& file, const TableDefinition& table,
                                        const RealIndex& index, const std::string& what,
                                        std::vector<std::string>& problems) {
    std::vector<std::string> entries, keys;
    ValueReader values(file);
    TableScan scan(file, table);
    std::string key;
    while (scan.next()) {
        const bool anyValue = rowKey(table, index, file.format(), scan.row(), values, key);
        if (!anyValue && index.ignoreNulls()) continue;
        if (anyValue && index.unique()) keys.push_back(key);
        appendPlace(scan.position(), key);
        entries.push_back(key);
    }
    std::sort(entries.begin(), entries.end());
    std::sort(keys.begin(), keys.end());
    const auto repeated = std::adjacent_find(keys.begin(), keys.end());
    if (repeated != keys.end())
        problems.push_back(what + ": el índice es único y " +
                           std::to_string(std::count(keys.begin(), keys.end(), *repeated)) +
                           " filas tienen la clave " + hexBytes(*repeated));
    return entries;
}

void compare(const std::vector<std::string>& derived, const std::vector<IndexEntry>& stored,
             const std::string& what, std::vector<std::string>& problems) {
    std::vector<std::string> found;
    found.reserve(stored.size());
    for (const auto& e : stored) found.push_back(e.bytes);
    std::sort(found.begin(), found.end());
    std::vector<std::string> missing, extra;
    std::set_difference(derived.begin(), derived.end(), found.begin(), found.end(),
                        std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), derived.begin(), derived.end(),
                        std::back_inserter(extra));
    const auto rowOf = [](const std::string& e) {
        IndexEntry entry{e};
        return entry.row();
    };
    size_t reported = 0;
    for (const auto& m : missing) {
        if (reported++ == kReportedPerIndex) break;
        // An entry for the same row with other bytes is a wrong key, not a missing one.
        auto same = std::find_if(extra.begin(), extra.end(), [&](const std::string& x) {
            return rowOf(x).packed() == rowOf(m).packed();
        });
        if (same != extra.end()) {
            problems.push_back(what + ": la entrada de la fila " + place(rowOf(m)) + " es " +
                               hexBytes(*same) + " y la fila da " + hexBytes(m));
            extra.erase(same);
        } else {
            problems.push_back(what + ": falta la entrada de la fila " + place(rowOf(m)) + ", " +
                               hexBytes(m));
        }
    }
    for (const auto& x : extra) {
        if (reported++ == kReportedPerIndex) break;
        problems.push_back(what + ": sobra una entrada que apunta a " + place(rowOf(x)) + ", " +
                           hexBytes(x));
    }
    if (missing.size() + extra.size() > kReportedPerIndex)
        problems.push_back(what + ": y otras diferencias (" + std::to_string(missing.size()) +
                           " entradas faltan, " + std::to_string(extra.size()) + " sobran)");
}

// The index's usage map marks the pages of its tree, and only those.
void checkIndexMap(PageFile& file, const RealIndex& index, const std::vector<uint32_t>& pages,
                   const std::string& what, std::vector<std::string>& problems) {
    const std::string map = what + ": el mapa de uso del índice";
    const std::vector<uint32_t> marked = readUsageMap(file, index.usageMap, map.c_str());
    std::vector<uint32_t> missing, extra;
    std::set_difference(pages.begin(), pages.end(), marked.begin(), marked.end(),
                        std::back_inserter(missing));
    std::set_difference(marked.begin(), marked.end(), pages.begin(), pages.end(),
                        std::back_inserter(extra));
    const auto others = [](size_t n) {
        return n > 1 ? " (y otras " + std::to_string(n - 1) + ")" : std::string();
    };
    if (!missing.empty())
        problems.push_back(map + " no marca la página " + std::to_string(missing.front()) +
                           " del árbol" + others(missing.size()));
    if (!extra.empty())
        problems.push_back(map + " marca la página " + std::to_string(extra.front()) +
                           ", que no es del árbol" + others(extra.size()));
}

}  // namespace

void checkIndexes(PageFile& file, const TableDefinition& table,
                  std::vector<std::string>& problems) {
    for (size_t i = 0; i < table.realIndexes.size(); ++i) {
        const RealIndex& index = table.realIndexes[i];
        const std::string what = "tabla «" + table.name + "», índice «" + indexName(table, i) + "»";
        bool supported = true;
        for (const auto& c : index.columns)
            supported =
                supported && unsupportedKeyColumn(table.columns[c.column], file.format()).empty();
        if (!supported) continue;  // a sort order the encoder does not know: not checked
        try {
            std::vector<std::string> structural;
            std::vector<uint32_t> pages;
            const auto stored =
                readIndexEntries(file, index, table.pages.front(), what, structural, pages);
            checkIndexMap(file, index, pages, what, structural);
            problems.insert(problems.end(), structural.begin(), structural.end());
            const auto derived = derivedEntries(file, table, index, what, problems);
            compare(derived, stored, what, problems);
        } catch (const Error& e) {
            problems.push_back(e.what());
        }
    }
}

std::vector<std::string> checkFile(JetFile& jet) {
    std::vector<std::string> problems;
    PageFile& file = jet.pages();
    for (const auto& entry : jet.catalog().tables()) {
        try {
            const auto read = jet.table(entry.name);  // result types of calculated columns set
            const TableDefinition& table = read->definition;
            ValueReader values(file);
            TableScan scan(file, table);
            while (scan.next())
                for (const auto& c : table.columns) values.read(c, scan.row());
            checkIndexes(file, table, problems);
        } catch (const Error& e) {
            problems.push_back(e.what());
        }
    }
    return problems;
}

}  // namespace pelmora::engine::jet
