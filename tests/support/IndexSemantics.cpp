#include "tests/support/IndexSemantics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"
#include "tests/support/Fallo.h"

namespace pelmora::prueba {

using namespace engine;

namespace {

Column column(const std::string& name, Type type, int size = 0, bool autoNumber = false) {
    Column c;
    c.name = name;
    c.type = type;
    c.size = size;
    c.autoNumber = autoNumber;
    return c;
}

struct NewTable {
    TableSchema table;
    std::vector<Index> indexes;
};

// Three tables: two of them with a primary key named "PrimaryKey" and an index
// named "Código"; one keyed on an autonumber, one on a 16-bit integer alone.
std::vector<NewTable> newTables() {
    return {
        {{"Parcelas",
          {column("guid", Type::Guid, 0, true), column("municipio", Type::Text, 20),
           column("numero", Type::Integer), column("superficie", Type::Double),
           column("alta", Type::DateTime), column("código", Type::Long),
           column("notas", Type::Memo)}},
         {{"PrimaryKey", {{"municipio"}, {"numero", true}}, true, true},
          {"Código", {{"código"}}, true, false},
          {"Alta", {{"alta", true}, {"superficie"}}, false, false}}},
        {{"Recintos",
          {column("id", Type::Long, 0, true), column("parcela", Type::Long),
           column("nombre", Type::Text, 40)}},
         {{"PrimaryKey", {{"id"}}, true, true}, {"Código", {{"parcela"}}, false, false}}},
        {{"Clases", {column("clase", Type::Integer), column("nombre", Type::Text, 30)}},
         {{"PrimaryKey", {{"clase"}}, true, true}}},
    };
}

// As Database::indexes gives them: the primary key first, then by name.
std::vector<std::string> inReadOrder(std::vector<Index> indexes) {
    std::stable_sort(indexes.begin(), indexes.end(), [](const Index& a, const Index& b) {
        if (a.primaryKey != b.primaryKey) return a.primaryKey;
        return upperCase(a.name) < upperCase(b.name);
    });
    std::vector<std::string> out;
    for (const Index& index : indexes) out.push_back(described(index));
    return out;
}

std::vector<std::string> read(Database& db, const std::string& table) {
    std::vector<std::string> out;
    for (const Index& index : db.indexes(table)) out.push_back(described(index));
    return out;
}

void addParcela(Database& db, const std::string& municipio, int numero, int codigo) {
    auto rs = db.openRecordset("Parcelas", OpenMode::Dynaset);
    rs->addNew();
    rs->set("municipio", Value::text(municipio));
    rs->set("numero", Value::longInt(numero));
    rs->set("código", Value::longInt(codigo));
    rs->update();
}

void addRow(Database& db, const std::string& table, const std::string& column, int value) {
    auto rs = db.openRecordset(table, OpenMode::Dynaset);
    rs->addNew();
    rs->set(column, Value::longInt(value));
    rs->update();
}

// The column's values, row by row in the table's stored order.
std::vector<std::string> values(Database& db, const std::string& table, const std::string& column) {
    std::vector<std::string> out;
    for (auto rs = db.openRecordset(table, OpenMode::Snapshot); !rs->eof(); rs->moveNext())
        out.push_back(rs->field(column).toText());
    return out;
}

// The message of the error `f` throws; a test failure when it throws none.
std::string refusal(const std::function<void()>& f) {
    const std::string message = prueba::errorOf(f);
    if (message.empty()) ADD_FAILURE() << "no se rechazó";
    return message;
}

}  // namespace

std::string described(const Index& index) {
    std::string text = index.name + ":";
    for (const IndexedColumn& c : index.columns)
        text +=
            (&c == &index.columns.front() ? " " : ", ") + c.name + (c.descending ? " DESC" : "");
    if (index.unique) text += " (única)";
    if (index.primaryKey) text += " (principal)";
    return text;
}

void checkIndexes(Database& db) {
    const std::vector<NewTable> tables = newTables();
    for (const NewTable& made : tables) db.createTable(made.table, made.indexes);

    std::vector<std::string> names = db.tableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Clases", "Parcelas", "Recintos"}));
    for (const NewTable& made : tables) {
        EXPECT_EQ(read(db, made.table.name), inReadOrder(made.indexes)) << made.table.name;
        EXPECT_EQ(read(db, upperCase(made.table.name)), inReadOrder(made.indexes));
        const TableSchema schema = db.schema(made.table.name);
        ASSERT_EQ(schema.columns.size(), made.table.columns.size());
        for (size_t c = 0; c < schema.columns.size(); ++c) {
            EXPECT_EQ(schema.columns[c].type, made.table.columns[c].type) << schema.columns[c].name;
            EXPECT_EQ(schema.columns[c].autoNumber, made.table.columns[c].autoNumber);
            EXPECT_EQ(schema.columns[c].required, made.table.columns[c].required);
        }
    }

    // Rows stay in the order they were added, whatever their keys.
    addParcela(db, "Soria", 3, 30);
    addParcela(db, "Ávila", 9, 10);
    addParcela(db, "Soria", 1, 20);
    addParcela(db, "León", 5, 40);
    addRow(db, "Recintos", "parcela", 7);
    addRow(db, "Recintos", "parcela", 3);
    addRow(db, "Clases", "clase", 5);
    addRow(db, "Clases", "clase", 2);
    const std::vector<std::string> parcelas{"Soria", "Ávila", "Soria", "León"};
    EXPECT_EQ(values(db, "Parcelas", "municipio"), parcelas);
    EXPECT_EQ(values(db, "Recintos", "parcela"), (std::vector<std::string>{"7", "3"}));
    EXPECT_EQ(values(db, "Recintos", "id"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(values(db, "Clases", "clase"), (std::vector<std::string>{"5", "2"}));

    // A key already there, in the primary key or in a unique index: refused, nothing added.
    const std::string principal = refusal([&] { addParcela(db, "Soria", 1, 50); });
    EXPECT_NE(principal.find("Parcelas"), std::string::npos) << principal;
    const std::string unico = refusal([&] { addParcela(db, "Burgos", 2, 10); });
    EXPECT_NE(unico.find("Parcelas"), std::string::npos) << unico;
    refusal([&] { addRow(db, "Clases", "clase", 5); });
    refusal([&] { addRow(db, "Parcelas", "numero", 4); });  // a key without a value
    EXPECT_EQ(values(db, "Parcelas", "municipio"), parcelas);
    EXPECT_EQ(values(db, "Clases", "clase"), (std::vector<std::string>{"5", "2"}));
    // The same value twice in a plain index is fine.
    addRow(db, "Recintos", "parcela", 7);

    // A table whose index cannot be made is not made at all.
    const std::string missing = refusal([&] {
        db.createTable({"Rotas", {column("a", Type::Long)}}, {{"Nada", {{"nada"}}, false, false}});
    });
    EXPECT_NE(missing.find("nada"), std::string::npos) << missing;
    EXPECT_EQ(db.tableNames().size(), 3u);
    EXPECT_EQ(refusal([&] { db.indexes("Rotas"); }), refusal([&] { db.schema("Rotas"); }));
    EXPECT_EQ(db.verify(), std::vector<std::string>{});
}

}  // namespace pelmora::prueba
