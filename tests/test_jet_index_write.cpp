// The row writer's index hook on real Access files: duplicates of a primary key
// or unique index, Null in a key or a Required column, empty text, a foreign key
// without its parent row and an unknown text sort order are refused before
// anything is written (rows added to Access's own trees: test_jet_index_rows),
// and indexes rebuilt from the rows' values hold the entries the stored rows give. A thousand rows
// of one key, then other keys, and rows marked one after another under an index leave a file that
// the check finds sound and mdbtools reads back row for row.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/jet/IndexCheck.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/IndexWriter.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/UsageMap.h"
#include "db/engine/jet/UsageMapEdit.h"
#include "db/engine/jet/ValueReader.h"
#include "db/engine/jet/WriterIndexStore.h"
#include "support/jet_oracles.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;

using namespace pelmora::engine;
using namespace pelmora::engine::jet;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

// The file's pages, with the pages written kept aside in memory.
class OverlayStore : public IndexPageStore {
  public:
    explicit OverlayStore(PageFile& file) : file_(file), next_(file.pageCount()) {}
    const Format& format() const override { return file_.format(); }
    PageRef read(uint32_t number) override {
        auto found = written_.find(number);
        if (found == written_.end()) return file_.page(number);
        return std::make_shared<Page>(file_.path(), number, found->second);
    }
    void write(uint32_t number, const std::vector<uint8_t>& bytes) override {
        written_[number] = bytes;
    }
    uint32_t allocate(const RealIndex&) override {
        written_[next_] = std::vector<uint8_t>(file_.format().pageSize, 0);
        return next_++;
    }
    void release(const RealIndex&, uint32_t) override {}
    size_t writes() const { return written_.size(); }

  private:
    PageFile& file_;
    uint32_t next_;
    std::map<uint32_t, std::vector<uint8_t>> written_;
};

std::vector<Value> rowAt(JetFile& jet, const JetTable& table, RowPointer place) {
    PageRef holder;
    RowView view;
    EXPECT_TRUE(locateRow(jet.pages(), table.definition, place, holder, view));
    ValueReader values(jet.pages());
    std::vector<Value> row;
    for (const auto& c : table.definition.columns) row.push_back(values.read(c, view));
    return row;
}

// The entries of the table's first index, as bytes; its problems fail the test.
std::vector<std::string> firstIndexEntries(PageFile& pages, const TableDefinition& def) {
    std::vector<std::string> problems, entries;
    for (const auto& e :
         readIndexEntries(pages, def.realIndexes[0], def.pages.front(), "", problems))
        entries.push_back(e.bytes);
    for (const auto& p : problems) ADD_FAILURE() << p;
    return entries;
}

bool skipWithoutFixtures() {
    return !fs::exists(fixture("indexTestV2000.mdb"));
}

}  // namespace

TEST(JetIndexWrite, RowsThatBreakARuleAreRefusedBeforeAnythingIsWritten) {
    if (skipWithoutFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    for (const char* name : {"indexTestV2000.mdb", "indexTestV1997.mdb"}) {
        SCOPED_TRACE(name);
        JetFile jet(fixture(name));
        OverlayStore store(jet.pages());
        IndexWriter writer(jet, store);
        const auto table1 = jet.table("Table1");
        // Table1: id (primary key), otherfk1 -> Table2.id, otherfk2 -> Table3.id, data, otherfk3.
        const std::vector<Value> good{Value::longInt(1000), Value::longInt(1), Value::longInt(11),
                                      Value::text("nuevo"), Value::longInt(0)};
        EXPECT_EQ(errorOf([&] { writer.checkInsert(*table1, good); }), "");

        auto with = [&](size_t column, Value v) {
            auto row = good;
            row[column] = std::move(v);
            return row;
        };
        const auto refusal = [&](size_t column, Value v) {
            return errorOf([&] { writer.checkInsert(*table1, with(column, std::move(v))); });
        };
        expectMentions(refusal(0, Value::longInt(0)),
                       {"ya existe en la clave principal", "«0»", name});
        expectMentions(refusal(0, Value()), {"no admite Null en el campo «id»"});
        expectMentions(refusal(1, Value::longInt(999)),
                       {"no existe en la tabla relacionada «Table2»"});
        expectMentions(refusal(2, Value::longInt(999)), {"«Table3»"});
        // A Null foreign key refers to nothing, as Access allows.
        EXPECT_EQ(refusal(1, Value()), "");

        // An update may keep its own key, but not take another row's.
        const RowPointer first = [&] {
            TableScan scan(jet.pages(), table1->definition);
            scan.next();
            return scan.position();
        }();
        const auto before = rowAt(jet, *table1, first);
        auto after = before;
        after[3] = Value::text("otro texto");
        EXPECT_EQ(errorOf([&] { writer.checkUpdate(*table1, first, before, after); }), "");
        after[0] = Value::longInt(before[0].rawInt() == 1 ? 2 : 1);
        expectMentions(errorOf([&] { writer.checkUpdate(*table1, first, before, after); }),
                       {"ya existe"});
        // Table2's key cannot change while Table1 rows refer to it.
        const auto table2 = jet.table("Table2");
        TableScan scan2(jet.pages(), table2->definition);
        ASSERT_TRUE(scan2.next());
        const auto parent = rowAt(jet, *table2, scan2.position());
        auto moved = parent;
        moved[0] = Value::longInt(5000);
        expectMentions(
            errorOf([&] { writer.checkUpdate(*table2, scan2.position(), parent, moved); }),
            {"tiene registros relacionados"});
        EXPECT_EQ(store.writes(), 0u);
    }
}

TEST(JetIndexWrite, RequiredAndZeroLengthAndUniqueProperties) {
    if (skipWithoutFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    JetFile jet(fixture("fixedTextTestV2000.mdb"));
    OverlayStore store(jet.pages());
    IndexWriter writer(jet, store);
    const auto users = jet.table("users");
    TableScan scan(jet.pages(), users->definition);
    ASSERT_TRUE(scan.next());
    const auto existing = rowAt(jet, *users, scan.position());
    int required = -1, emptyRefused = -1;
    for (size_t i = 0; i < users->schema.columns.size(); ++i) {
        const Column& c = users->schema.columns[i];
        if (c.required && !c.autoNumber && required < 0) required = static_cast<int>(i);
        if (c.type == Type::Text && !c.allowZeroLength && emptyRefused < 0)
            emptyRefused = static_cast<int>(i);
    }
    ASSERT_GE(required, 0) << "users debe tener columnas requeridas";
    auto row = existing;
    row[required] = Value();
    expectMentions(errorOf([&] { writer.checkInsert(*users, row); }),
                   {users->schema.columns[required].name});
    if (emptyRefused >= 0) {
        row = existing;
        row[emptyRefused] = Value::text("");
        expectMentions(errorOf([&] { writer.checkInsert(*users, row); }), {"texto vacío"});
    }

    // testIndexProperties: a unique index refuses a repeated key, an ignore-nulls one takes Null.
    JetFile props(fixture("testIndexPropertiesV2000.mdb"));
    OverlayStore propsStore(props.pages());
    IndexWriter propsWriter(props, propsStore);
    size_t uniqueRefusals = 0;
    for (const auto& entry : props.catalog().tables()) {
        if (entry.system) continue;
        const auto t = props.table(entry.name);
        TableScan rows(props.pages(), t->definition);
        if (!rows.next()) continue;
        const auto copy = rowAt(props, *t, rows.position());
        const std::string why = errorOf([&] { propsWriter.checkInsert(*t, copy); });
        bool hasUnique = false;
        for (const auto& index : t->definition.realIndexes) hasUnique = hasUnique || index.unique();
        if (hasUnique) {
            EXPECT_NE(why.find("que no admite duplicados"), std::string::npos)
                << entry.name << ": " << why;
            ++uniqueRefusals;
        }
    }
    EXPECT_GT(uniqueRefusals, 1u);
}

TEST(JetIndexWrite, AnUnknownTextSortOrderIsRefusedForWritingOnly) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("bigIndexTestV2000.mdb"), "orden.mdb");
    // Give the indexed text column of Table1 another sort order (1034, traditional Spanish).
    uint64_t offset = 0;
    {
        JetFile jet(path);
        const auto& def = jet.table("Table1")->definition;
        const Format& f = jet.pages().format();
        int text = -1;
        for (const auto& index : def.realIndexes)
            for (const auto& c : index.columns)
                if (def.columns[c.column].type == ColumnType::Text) text = c.column;
        ASSERT_GE(text, 0);
        PageRef page = jet.pages().page(def.pages.front());
        size_t at = f.tdefHeaderSize + def.realIndexes.size() * f.realIndexCountSize;
        while (page->u16(at + f.colNumber) != def.columns[text].number) at += f.columnSize;
        offset = uint64_t(def.pages.front()) * f.pageSize + at + f.colSortOrder;
    }
    {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(static_cast<std::streamoff>(offset));
        out.put(static_cast<char>(1034 & 0xFF));
        out.put(static_cast<char>(1034 >> 8));
    }
    JetFile jet(path);
    const auto table = jet.table("Table1");
    EXPECT_NO_THROW(jet.table("Table1")) << "la lectura sigue funcionando";
    OverlayStore store(jet.pages());
    IndexWriter writer(jet, store);
    std::vector<Value> row(table->definition.columns.size());
    for (size_t i = 0; i < row.size(); ++i)
        if (table->schema.columns[i].type == Type::Text) row[i] = Value::text("zzz");
    expectMentions(errorOf([&] { writer.checkInsert(*table, row); }),
                   {"orden de texto 1034", "orden.mdb"});
    EXPECT_EQ(store.writes(), 0u);
}

namespace {

// Every page of an index's tree.
std::set<uint32_t> treePages(PageFile& file, const RealIndex& index, uint32_t table) {
    std::set<uint32_t> pages;
    std::vector<uint32_t> todo{index.rootPage};
    while (!todo.empty()) {
        const uint32_t number = todo.back();
        todo.pop_back();
        if (!number || !pages.insert(number).second) continue;
        const IndexPage page = readIndexPage(file, number, table, "");
        todo.insert(todo.end(), page.children.begin(), page.children.end());
        todo.push_back(page.tail);
    }
    return pages;
}

}  // namespace

TEST(JetIndexWrite, PagesTakenForAnIndexAreInItsUsageMap) {
    if (!fs::exists(fixture("compIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("compIndexTestV2000.mdb"), "mapa.mdb");
    std::vector<uint32_t> far;
    {
        JetFile jet(path);
        WriteGroup group(jet.pages());
        const auto table = jet.table("Table1");
        PageWriter pages(jet.pages());
        WriterIndexStore store(pages);
        IndexWriter writer(jet, store);
        std::vector<Value> row(table->definition.columns.size());
        for (uint32_t n = 0; n < 20000; ++n) {
            for (size_t i = 0; i < row.size(); ++i) {
                const Type type = table->schema.columns[i].type;
                if (type == Type::Text)
                    row[i] = Value::text("río " + std::to_string(n % 977));
                else if (type == Type::Long)
                    row[i] = Value::longInt(static_cast<int32_t>(n * 7 % 20011));
            }
            writer.inserted(*table, RowPointer{70000 + n / 100, static_cast<int>(n % 100)}, row);
            if (n % 1000 == 999) pages.commit();
        }
        // Pages far past the inline map's reach turn it into a reference map.
        const uint32_t map = table->definition.realIndexes[0].usageMap;
        for (int i = 0; i < 700; ++i) far.push_back(pages.allocate().number());
        for (uint32_t n : far) markInUsageMap(pages, map, n, true, "mapa");
        markInUsageMap(pages, map, far.front(), false, "mapa");
        pages.commit();
        group.end();
    }
    JetFile jet(path);
    const auto& def = jet.table("Table1")->definition;
    EXPECT_EQ(firstIndexEntries(jet.pages(), def).size(), 20512u);
    std::set<uint32_t> expected = treePages(jet.pages(), def.realIndexes[0], def.pages.front());
    EXPECT_GT(expected.size(), 20u);
    expected.insert(far.begin() + 1, far.end());
    const auto marked = readUsageMap(jet.pages(), def.realIndexes[0].usageMap, "mapa");
    EXPECT_EQ(std::set<uint32_t>(marked.begin(), marked.end()), expected);
    EXPECT_GT(far.back(), 600u);
}

// Every index of every table of the Access 97 and 2000 files emptied and filled
// again from the rows, in random order, through the hook: the check then compares
// each entry with the one Access stored, byte for byte, and finds the trees sound;
// an index Access kept on one page gets that page back byte for byte.
TEST(JetIndexWrite, IndexesRebuiltFromTheRowsHoldAccessOwnEntries) {
    const auto files = jetFixtures();
    if (files.empty())
        GTEST_SKIP() << "Faltan las bases de datos de prueba en " << PELMORA_FIXTURES;
    pelmora::prueba::TempDir dir;
    std::mt19937 random(5);
    size_t rebuilt = 0, samePages = 0;
    for (const auto& source : files) {
        const std::string path = dir.writableCopy(source, fs::path(source).filename().string());
        {
            JetFile jet(path);
            WriteGroup group(jet.pages());
            PageWriter pages(jet.pages());
            WriterIndexStore store(pages);
            IndexWriter writer(jet, store);
            const Format& f = jet.pages().format();
            for (const auto& entry : jet.catalog().tables()) {
                const auto table = jet.table(entry.name);
                const TableDefinition& def = table->definition;
                bool supported = !def.realIndexes.empty();
                for (const auto& index : def.realIndexes)
                    for (const auto& c : index.columns)
                        supported =
                            supported && unsupportedKeyColumn(def.columns[c.column], f).empty();
                if (!supported) continue;
                std::vector<std::pair<RowPointer, std::vector<Value>>> rows;
                {
                    ValueReader values(jet.pages());
                    TableScan scan(jet.pages(), def);
                    while (scan.next()) {
                        std::vector<Value> row;
                        for (const auto& c : def.columns) row.push_back(values.read(c, scan.row()));
                        rows.emplace_back(scan.position(), std::move(row));
                    }
                }
                std::map<uint32_t, std::vector<uint8_t>> onePage;  // root -> Access's bytes
                for (const auto& index : def.realIndexes) {
                    const auto tree = treePages(jet.pages(), index, def.pages.front());
                    if (tree.size() == 1) {
                        const PageRef root = jet.pages().page(index.rootPage);
                        onePage[index.rootPage].assign(root->data(), root->data() + root->size());
                    }
                    for (uint32_t page : tree)
                        if (page != index.rootPage) store.release(index, page);
                    store.write(index.rootPage, encodeIndexPage(f, IndexPage{}, def.pages.front()));
                }
                std::shuffle(rows.begin(), rows.end(), random);
                for (const auto& [place, row] : rows) writer.inserted(*table, place, row);
                pages.commit();
                for (const auto& [root, access] : onePage) {
                    const PageRef page = jet.pages().page(root);
                    const auto end = access.begin() + (f.pageSize - page->u16(2));
                    const auto differ = std::mismatch(access.begin(), end, page->data()).first;
                    EXPECT_EQ(differ - access.begin(), end - access.begin())
                        << source << ": " << entry.name << ", página " << root;
                    ++samePages;
                }
                ++rebuilt;
            }
            group.end();
        }
        JetFile jet(path);
        for (const auto& p : checkFile(jet)) ADD_FAILURE() << path << ": " << p;
    }
    EXPECT_GT(rebuilt, 30u);
    EXPECT_GT(samePages, 30u);
}

namespace {

// A row as text: its values joined by '|'.
std::string joined(const std::vector<std::string>& values) {
    std::string text;
    for (const auto& v : values) text += v + "|";
    return text;
}

// The rows of an independent reader, each as the text of its values of `columns`
// (Null as "Null", yes/no as 1 or 0), sorted.
std::vector<std::string> rowTexts(const std::vector<QJsonObject>& rows,
                                  const std::vector<const char*>& columns) {
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        std::vector<std::string> values;
        for (const char* column : columns) {
            const QJsonValue v = row.value(column);
            values.push_back(v.isBool()     ? std::to_string(v.toBool() ? 1 : 0)
                             : v.isDouble() ? std::to_string(v.toInt())
                             : v.isString() ? v.toString().toStdString()
                                            : "Null");
        }
        texts.push_back(joined(values));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

// The check finds the file sound (every index entry re-derived from its row), and
// mdbtools and mdb-reader (when installed) read `table` back as `expected` (rows
// as rowTexts gives them, in any order).
void expectSoundAndReadBack(const std::string& path, const std::string& table,
                            const std::vector<const char*>& columns,
                            std::vector<std::string> expected) {
    for (const auto& p : openDatabase(path)->verify()) ADD_FAILURE() << p;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rowTexts(mdbtoolsRows(path, table), columns), expected) << "mdb-json";
    const auto dump = mdbReaderDump({path});
    if (!dump.empty()) {
        EXPECT_EQ(rowTexts(dump.at(path).at(table).rows, columns), expected) << "mdb-reader";
    }
}

// Adds a yes/no column to `table` (empty, with one index) and points the index at
// it, in the definition's first page (Jet4: names after the columns, each a u16
// length and UCS-2).
void indexYesNoColumn(const std::string& path, const std::string& table, const char* column) {
    openDatabase(path)->addColumn(table, {column, Type::Boolean});
    uint64_t offset = 0;
    uint16_t number = 0;
    {
        JetFile jet(path);
        const TableDefinition& def = jet.table(table)->definition;
        const Format& f = jet.pages().format();
        PageRef page = jet.pages().page(def.pages.front());
        size_t at = f.tdefHeaderSize + def.realIndexes.size() * f.realIndexCountSize +
                    def.columns.size() * f.columnSize;
        for (size_t i = 0; i < def.columns.size(); ++i) at += 2 + page->u16(at);
        offset = uint64_t(def.pages.front()) * f.pageSize + at + f.realIndexSkip;
        for (const auto& c : def.columns)
            if (c.name == column) number = c.number;
    }
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(offset));
    out.put(static_cast<char>(number & 0xFF));
    out.put(static_cast<char>(number >> 8));
}

}  // namespace

// A thousand rows with one text under an index leave its leaf full of that key;
// a smaller key, Null and a larger one come in after them, and some rows' keys
// change (their entries leave the run).
TEST(JetIndexWrite, ARunOfOneTextKeyTakesAnyOtherKey) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("bigIndexTestV2000.mdb"), "repetida.mdb");
    {
        auto db = openDatabase(path);  // Table1: col1 (indexed), col2
        std::vector<RowId> ids;
        for (int n = 0; n < 1000; ++n)
            ids.push_back(
                db->insert("Table1", {Value::text("misma clave"), Value::text(std::to_string(n))}));
        for (const Value& key : {Value::text("antes"), Value(), Value::text("zeta")})
            db->insert("Table1", {key, Value::text("otra")});
        for (size_t i = 0; i < ids.size(); i += 10)
            db->updateColumn("Table1", ids[i], 0, Value::text("cambiada"));
    }
    std::vector<std::string> expected{joined({"antes", "otra"}), joined({"Null", "otra"}),
                                      joined({"zeta", "otra"})};
    for (int n = 0; n < 1000; ++n)
        expected.push_back(joined({n % 10 ? "misma clave" : "cambiada", std::to_string(n)}));
    expectSoundAndReadBack(path, "Table1", {"col1", "col2"}, expected);
}

// Rows of an indexed yes/no column set to true one after another, as the marking
// run does (every new entry lands before the false ones), then some back to false.
TEST(JetIndexWrite, RowsMarkedOneAfterAnotherInAnIndexedYesNoColumn) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("bigIndexTestV2000.mdb"), "marcas.mdb");
    indexYesNoColumn(path, "Table1", "marca");
    {
        auto db = openDatabase(path);
        const int marca = db->schema("Table1").find("marca");
        ASSERT_EQ(JetFile(path).table("Table1")->definition.realIndexes[0].columns[0].column,
                  marca);
        std::vector<RowId> ids;
        for (int n = 0; n < 1449; ++n)
            ids.push_back(db->insert("Table1", {Value::text("fila " + std::to_string(n)), Value(),
                                                Value::boolean(false)}));
        for (RowId id : ids) db->updateColumn("Table1", id, marca, Value::boolean(true));
        for (size_t i = 0; i < ids.size(); i += 7)
            db->updateColumn("Table1", ids[i], marca, Value::boolean(false));
    }
    std::vector<std::string> expected;
    for (int n = 0; n < 1449; ++n)
        expected.push_back(joined({"fila " + std::to_string(n), n % 7 ? "1" : "0"}));
    expectSoundAndReadBack(path, "Table1", {"col1", "marca"}, expected);
}
