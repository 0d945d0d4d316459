#include "tests/support/QuerySemantics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"
#include "tests/support/ValuePrint.h"

namespace pelmora::prueba {

using namespace engine;

namespace {

struct Sample {
    int32_t n;
    Value mslink, tcomplet, clasific;
};

// The rows of "Elementos", in stored order; n numbers them from 1.
const std::vector<Sample>& samples() {
    static const std::vector<Sample> rows = {
        {1, Value::longInt(30), Value::text("Árbol"), Value::integer(7)},
        {2, Value::longInt(10), Value::text("árbol"), Value::integer(7)},
        {3, Value(), Value::text("arbol"), Value::integer(2)},
        {4, Value::longInt(20), Value(), Value()},
        {5, Value::longInt(10), Value::text("ÁRBOL "), Value::integer(7)},
        {6, Value::longInt(70000), Value::text("O'Brien"), Value::integer(-3)},
        {7, Value(), Value::text("Zeta"), Value::integer(5)},
    };
    return rows;
}

void createSample(Database& db) {
    TableDef def = db.createTableDef("Elementos");
    def.appendField(def.createField("n", Type::Long));
    def.appendField(def.createField("mslink", Type::Long));
    def.appendField(def.createField("tcomplet", Type::Text, 30));
    def.appendField(def.createField("clasific", Type::Integer));
    def.appendField(def.createField("Tcorrelate", Type::Boolean));
    def.appendField(def.createField("Fecha", Type::DateTime, 255));
    db.appendTableDef(def);
    auto rs = db.openRecordset("Select Elementos.* from Elementos;", OpenMode::Dynaset);
    for (const Sample& s : samples()) {
        rs->addNew();
        rs->set("n", Value::longInt(s.n));
        rs->set("mslink", s.mslink);
        rs->set("tcomplet", s.tcomplet);
        rs->set("clasific", s.clasific);
        rs->update();
    }
    rs->close();
}

// The n of every row the statement selects, in its order.
std::vector<int32_t> numbers(Database& db, const std::string& statement) {
    std::vector<int32_t> out;
    auto rs = db.openRecordset(statement, OpenMode::Snapshot);
    for (; !rs->eof(); rs->moveNext()) out.push_back(rs->field("N").toLong());
    return out;
}

std::vector<int32_t> where(Database& db, const std::string& condition) {
    return numbers(db, "Select Elementos.* from Elementos WHERE " + condition + ";");
}

using Ns = std::vector<int32_t>;

void checkOrder(Database& db) {
    EXPECT_EQ(numbers(db, "Select Elementos.* from Elementos;"), (Ns{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(numbers(db, "ELEMENTOS"), (Ns{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(numbers(db, "Select Elementos.* from Elementos ORDER BY mslink;"),
              (Ns{3, 7, 2, 5, 4, 1, 6}));
    // Text order is the engine's text comparison; equal texts keep stored order.
    std::vector<Sample> sorted = samples();
    std::stable_sort(sorted.begin(), sorted.end(), [](const Sample& a, const Sample& b) {
        if (a.tcomplet.isNull() || b.tcomplet.isNull())
            return a.tcomplet.isNull() && !b.tcomplet.isNull();
        return compareText(a.tcomplet.rawText(), b.tcomplet.rawText()) < 0;
    });
    Ns expected;
    for (const Sample& s : sorted) expected.push_back(s.n);
    EXPECT_EQ(numbers(db, "Select Elementos.* from Elementos ORDER BY TCOMPLET;"), expected);
}

void checkConditions(Database& db) {
    EXPECT_EQ(where(db, "tcomplet='árbol'"), (Ns{1, 2}));  // case, not accents or spaces
    EXPECT_EQ(where(db, "tcomplet='ÁRBOL '"), (Ns{5}));
    EXPECT_EQ(where(db, "tcomplet='O''Brien'"), (Ns{6}));
    EXPECT_EQ(where(db, "TCOMPLET<>'Zeta'"), (Ns{1, 2, 3, 5, 6}));  // Null matches nothing
    EXPECT_EQ(where(db, "clasific=7"), (Ns{1, 2, 5}));
    EXPECT_EQ(where(db, "clasific<0"), (Ns{6}));
    EXPECT_EQ(where(db, "clasific>=5"), (Ns{1, 2, 5, 7}));
    EXPECT_EQ(where(db, "clasific<>7"), (Ns{3, 6, 7}));
    EXPECT_EQ(where(db, "clasific<=2"), (Ns{3, 6}));
    EXPECT_EQ(where(db, "clasific>-4"), (Ns{1, 2, 3, 5, 6, 7}));
    EXPECT_EQ(where(db, "mslink=-5"), (Ns{}));
    EXPECT_EQ(where(db, "mslink>40000"), (Ns{6}));
    EXPECT_EQ(numbers(db, "Select Elementos.* from Elementos WHERE mslink<60000 ORDER BY mslink;"),
              (Ns{2, 5, 4, 1}));
    EXPECT_EQ(where(db, "(tcomplet='ÁRBOL' AND clasific=7)"), (Ns{1, 2}));
    EXPECT_EQ(where(db, "((tcomplet='ÁRBOL') AND (clasific=7 AND mslink>10))"), (Ns{1}));
    EXPECT_EQ(where(db, "Elementos.MSLINK=30"), (Ns{1}));
    EXPECT_THROW(where(db, "noexiste=1"), Error);
    // A comparison with Null is Null, which no row passes, Null fields included.
    EXPECT_EQ(where(db, "mslink=Null"), (Ns{}));
    EXPECT_EQ(where(db, "tcomplet<>NULL"), (Ns{}));
    EXPECT_EQ(where(db, "(clasific=7 AND mslink>=null)"), (Ns{}));
    EXPECT_EQ(numbers(db, "Select Elementos.* from Elementos WHERE mslink=Null ORDER BY mslink;"),
              (Ns{}));
    EXPECT_THROW(where(db, "noexiste=Null"), Error);
}

void checkNames(Database& db) {
    auto rs =
        db.openRecordset("Select ELEMENTOS.* from elementos WHERE MSLINK=30;", OpenMode::Snapshot);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field("TCOMPLET"), Value::text("Árbol"));
    EXPECT_EQ(rs->fieldName(2), "tcomplet");

    TableDef camion = db.createTableDef("Camión");
    camion.appendField(camion.createField("Año", Type::Long));
    db.appendTableDef(camion);
    auto add = db.openRecordset("CAMIÓN", OpenMode::Dynaset);
    add->addNew();
    add->set("AÑO", Value::longInt(2024));
    add->update();
    EXPECT_EQ(db.tableDef("camión").fields().at(0).name, "Año");
    auto found =
        db.openRecordset("Select CAMIÓN.* from camión WHERE año=2024;", OpenMode::Snapshot);
    EXPECT_FALSE(found->eof());
    EXPECT_THROW(db.appendTableDef(db.createTableDef("CAMIÓN")), Error);

    TableDef labels = db.createTableDef("199ETIQUETAS");
    labels.appendField(labels.createField("tmapa", Type::Text));
    db.appendTableDef(labels);
    auto label = db.openRecordset("Select 199etiquetas.* from 199ETIQUETAS WHERE tmapa='K';",
                                  OpenMode::Snapshot);
    EXPECT_TRUE(label->eof());
    EXPECT_EQ(label->recordCount(), 0);

    // Each under its name as created, once (in the backend's own order).
    const std::vector<std::string> names = db.tableNames();
    for (const char* name : {"Elementos", "Camión", "199ETIQUETAS"})
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;
}

void checkValues(Database& db) {
    TableDef def = db.createTableDef("Valores");
    def.appendField(def.createField("texto", Type::Text, 10));
    def.setAllowZeroLength("texto", true);
    def.appendField(def.createField("si", Type::Boolean));
    def.appendField(def.createField("fecha", Type::DateTime, 255));
    def.appendField(def.createField("hora", Type::DateTime, 255));
    db.appendTableDef(def);
    auto rs = db.openRecordset("Select Valores.* from Valores;", OpenMode::Dynaset);
    const double day = oleDaysFromCivil(2026, 12, 7);
    rs->addNew();
    rs->set("texto", Value::text(""));
    rs->set("fecha", Value::dateTime(day));
    rs->set("hora", Value::dateTime(oleDaysFromCivil(1899, 12, 30, 10, 20, 30)));
    rs->update();
    rs->addNew();
    rs->set("si", Value::boolean(true));
    rs->update();
    rs->close();

    rs = db.openRecordset("Select Valores.* from Valores;", OpenMode::Snapshot);
    EXPECT_EQ(rs->field("texto"), Value::text(""));
    EXPECT_EQ(rs->field("si"), Value::boolean(false));  // never Null
    EXPECT_EQ(rs->field("fecha"), Value::dateTime(day));
    EXPECT_EQ(formatDateTime(rs->field("hora").rawDouble()), "1899-12-30 10:20:30");
    rs->moveNext();
    EXPECT_TRUE(rs->field("texto").isNull());  // Null, not empty text
    EXPECT_EQ(rs->field("si"), Value::boolean(true));
    EXPECT_TRUE(rs->field("fecha").isNull());

    const auto count = [&](const std::string& condition) {
        auto q = db.openRecordset("Select Valores.* from Valores WHERE " + condition + ";",
                                  OpenMode::Snapshot);
        if (q->eof()) return 0;
        q->moveLast();
        return q->recordCount();
    };
    EXPECT_EQ(count("texto=''"), 1);
    EXPECT_EQ(count("si=-1"), 1);
    EXPECT_EQ(count("si=0"), 1);

    // One column written by its locator: fitted as in a whole row, the others kept.
    Database& backend = db;
    auto rows = backend.select(parseStatement("Select Valores.* from Valores;"));
    ASSERT_TRUE(rows->next());
    const RowId first = rows->id();
    rows.reset();
    backend.updateColumn("VALORES", first, 0, Value::longInt(42));
    backend.updateColumn("Valores", first, 1, Value());
    EXPECT_THROW(backend.updateColumn("Valores", first, 0, Value::text("once letras")), Error);
    EXPECT_THROW(backend.updateColumn("Valores", first, 4, Value()), Error);
    const Row row = backend.read("Valores", first);
    ASSERT_GE(row.size(), 3u);
    EXPECT_EQ(row[0], Value::text("42"));
    EXPECT_EQ(row[1], Value::boolean(false));
    EXPECT_EQ(row[2], Value::dateTime(day));
}

}  // namespace

void checkQuerySemantics(Database& db) {
    createSample(db);
    checkOrder(db);
    checkConditions(db);
    checkNames(db);
    checkValues(db);
}

void checkRecordsetBehaviour(Database& db) {
    createSample(db);
    const std::string all = "Select Elementos.* from Elementos;";
    auto rs = db.openRecordset(all, OpenMode::Dynaset);
    EXPECT_GT(rs->recordCount(), 0);
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 7);
    EXPECT_EQ(rs->field("n"), Value::longInt(7));
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    rs->moveFirst();
    EXPECT_EQ(rs->field("n"), Value::longInt(1));

    // Edit and update every row during one scan.
    int visited = 0;
    for (; !rs->eof(); rs->moveNext()) {
        rs->edit();
        rs->set("Tcorrelate", Value::boolean(true));
        rs->set("tcomplet", Value::text("visto " + std::to_string(++visited)));
        rs->update();
        EXPECT_EQ(rs->field("Tcorrelate"), Value::boolean(true));
    }
    rs->close();
    EXPECT_EQ(visited, 7);
    EXPECT_EQ(where(db, "Tcorrelate=-1"), (Ns{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(where(db, "tcomplet='VISTO 4'"), (Ns{4}));

    auto snapshot = db.openRecordset(all, OpenMode::Snapshot);
    EXPECT_THROW(snapshot->edit(), Error);
    EXPECT_THROW(snapshot->addNew(), Error);

    auto empty =
        db.openRecordset("Select Elementos.* from Elementos WHERE n>100;", OpenMode::Snapshot);
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);

    // A yes/no column added to a table with rows reads false on them, whatever
    // default is set afterwards; new rows take the default.
    TableDef def = db.tableDef("elementos");
    def.appendField(def.createField("Marca", Type::Boolean));
    def.setDefaultValue("Marca", Value::boolean(true));
    def.appendField(def.createField("Nota", Type::Text, 20));
    def.setDefaultValue("Nota", Value::text("sin nota"));
    EXPECT_EQ(db.tableDef("ELEMENTOS").fields().back().defaultValue, Value::text("sin nota"));
    auto add = db.openRecordset(all, OpenMode::Dynaset);
    add->addNew();
    add->set("n", Value::longInt(8));
    add->update();
    // Fields set to Null stay Null (a yes/no reads false), defaults notwithstanding.
    add->addNew();
    add->set("n", Value::longInt(9));
    add->set("Nota", Value());
    add->set("Marca", Value());
    add->update();
    add->close();
    EXPECT_EQ(where(db, "Marca=0"), (Ns{1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(where(db, "Marca=-1"), (Ns{8}));
    EXPECT_EQ(where(db, "Nota='sin nota'"), (Ns{8}));
    auto ninth =
        db.openRecordset("Select Elementos.* from Elementos WHERE n=9;", OpenMode::Snapshot);
    ASSERT_FALSE(ninth->eof());
    EXPECT_TRUE(ninth->field("Nota").isNull());
}

}  // namespace pelmora::prueba
