// The SQLite backend: the shared semantics on a real SQLite file, the file as
// other SQLite readers see it, bad input, locks, read-only files, and large tables.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QStandardPaths>
#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"
#include "support/jet_oracles.h"
#include "tests/support/Ejecucion.h"
#include "tests/support/Fallo.h"
#include "tests/support/IndexSemantics.h"
#include "tests/support/QuerySemantics.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValuePrint.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;
using pelmora::test::expectMentions;

using namespace pelmora::engine;
using pelmora::prueba::TempDir;

namespace {

// The first column of every row of a statement, read by plain SQLite.
std::vector<std::string> raw(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    std::vector<std::string> out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        out.push_back(std::string("ERROR: ") + sqlite3_errmsg(db));
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        out.push_back(text ? text : "NULL");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// A table with one column of each kind the program writes.
void createParcela(Database& db) {
    TableDef def = db.createTableDef("Parcela");
    def.appendField(def.createField("mslink", Type::Long));
    def.appendField(def.createField("nombre", Type::Text, 10));
    def.appendField(def.createField("clase", Type::Integer));
    def.appendField(def.createField("hecho", Type::Boolean));
    def.appendField(def.createField("fecha", Type::DateTime, 255));
    db.appendTableDef(def);
}

void addParcela(Database& db, int32_t mslink, const std::string& nombre) {
    auto rs = db.openRecordset("Parcela", OpenMode::Dynaset);
    rs->addNew();
    rs->set("mslink", Value::longInt(mslink));
    rs->set("nombre", Value::text(nombre));
    rs->update();
}

int rows(Database& db, const std::string& table) {
    auto rs = db.openRecordset(table, OpenMode::Snapshot);
    if (rs->eof()) return 0;
    rs->moveLast();
    return rs->recordCount();
}

}  // namespace

TEST(Sqlite, SemanticaCompartida) {
    TempDir dir;
    auto db = createSqliteDatabase(dir.path("semantica.db"));
    pelmora::prueba::checkQuerySemantics(*db);
    pelmora::prueba::checkRecordsetBehaviour(*createSqliteDatabase(dir.path("recordset.db")));
    // SQLite lists its tables in creation order.
    const std::vector<std::string> names = db->tableNames();
    const auto position = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    EXPECT_LT(position("Elementos"), position("Camión"));
    EXPECT_LT(position("Camión"), position("199ETIQUETAS"));
}

TEST(Sqlite, ElFicheroComoLoVeSQLite) {
    TempDir dir;
    const std::string path = dir.path("tipos.db");
    {
        auto db = createSqliteDatabase(path);
        TableDef def = db->createTableDef("Todos");
        for (Type type : {Type::Boolean, Type::Byte, Type::Integer, Type::Long, Type::Currency,
                          Type::Single, Type::Double, Type::DateTime, Type::Text, Type::Memo,
                          Type::Binary, Type::Guid, Type::Decimal})
            def.appendField(def.createField(std::string("c") + typeName(type), type,
                                            type == Type::Text ? 40 : 0));
        def.appendField(def.createField("vacio", Type::Text));
        def.setAllowZeroLength("vacio", true);
        db->appendTableDef(def);
        auto rs = db->openRecordset("Todos", OpenMode::Dynaset);
        rs->addNew();
        rs->set("csí/no", Value::boolean(true));
        rs->set("cbyte", Value::longInt(200));
        rs->set("centero", Value::text("-300"));
        rs->set("centero largo", Value::longInt(70000));
        rs->set("cmoneda", Value::currency(12345));
        rs->set("csimple", Value::single(1.5f));
        rs->set("cdoble", Value::dbl(0.1));
        rs->set("cfecha/hora", Value::dateTime(oleDaysFromCivil(2026, 12, 7, 10, 20, 30)));
        rs->set("ctexto", Value::text("camión"));
        rs->set("cmemo", Value::text("007"));
        rs->set("cbinario", Value::binary(std::string("\x00\xff", 2)));
        rs->set("cid. de réplica", Value::text("01234567-89ab-cdef-0123-456789abcdef"));
        rs->set("cdecimal", Value::decimal("-123.45"));
        rs->update();
    }
    EXPECT_EQ(raw(path, "SELECT name FROM sqlite_master"), std::vector<std::string>{"Todos"});
    const std::string sql = raw(path, "SELECT sql FROM sqlite_master").at(0);
    for (const char* declared :
         {"BOOLEAN NOT NULL DEFAULT 0", "BYTE", "INTEGER", "LONG", "CURRENCY_X10000 INTEGER",
          "SINGLE", "DOUBLE", "DATETIME", "TEXT(40) CHECK (\"ctexto\" <> '')", "MEMO TEXT",
          "BINARY", "GUID", "DECIMAL", "\"vacio\" TEXT(255)"})
        EXPECT_NE(sql.find(declared), std::string::npos) << declared << " en " << sql;
    EXPECT_EQ(sql.find("CHECK (\"vacio\""), std::string::npos);
    EXPECT_EQ(raw(path,
                  "SELECT \"csí/no\" || '|' || \"cfecha/hora\" || '|' || typeof(cmemo) || "
                  "cmemo || '|' || \"cid. de réplica\" || '|' || typeof(cmoneda) || cmoneda "
                  "FROM Todos"),
              std::vector<std::string>{"-1|2026-12-07 10:20:30|text007|"
                                       "{01234567-89AB-CDEF-0123-456789ABCDEF}|integer12345"});

    auto db = openDatabase(path);
    const TableSchema schema = db->tableDef("TODOS").schema();
    ASSERT_EQ(schema.columns.size(), 14u);
    const Type expected[] = {Type::Boolean,  Type::Byte,   Type::Integer, Type::Long,
                             Type::Currency, Type::Single, Type::Double,  Type::DateTime,
                             Type::Text,     Type::Memo,   Type::Binary,  Type::Guid,
                             Type::Decimal,  Type::Text};
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(schema.columns[i].type, expected[i]) << i;
    EXPECT_EQ(schema.columns[8].size, 40);
    EXPECT_FALSE(schema.columns[8].allowZeroLength);
    EXPECT_TRUE(schema.columns[13].allowZeroLength);
    EXPECT_EQ(schema.columns[0].defaultValue, Value::boolean(false));

    auto rs = db->openRecordset("Todos", OpenMode::Snapshot);
    EXPECT_EQ(rs->field("cbyte"), Value::byte(200));
    EXPECT_EQ(rs->field("centero"), Value::integer(-300));
    EXPECT_EQ(rs->field("cmoneda"), Value::currency(12345));
    EXPECT_EQ(rs->field("csimple"), Value::single(1.5f));
    EXPECT_EQ(rs->field("cdoble"), Value::dbl(0.1));
    EXPECT_EQ(rs->field("cmemo"), Value::text("007", Type::Memo));
    EXPECT_EQ(rs->field("cbinario"), Value::binary(std::string("\x00\xff", 2)));
    EXPECT_EQ(rs->field("cdecimal"), Value::decimal("-123.45"));
    EXPECT_TRUE(rs->field("vacio").isNull());
    EXPECT_TRUE(db->verify().empty());
}

TEST(Sqlite, TablasDeOtrasHerramientasPorAfinidad) {
    TempDir dir;
    const std::string path = dir.path("ajena.db");
    auto db = createSqliteDatabase(path);
    raw(path,
        "CREATE TABLE ajena (id INTEGER PRIMARY KEY, nombre VARCHAR(40) NOT NULL DEFAULT 'x', "
        "importe REAL, datos BLOB, cuenta BIGINT, libre TEXT, sin, fecha DATE, "
        "CHECK (nombre != ''))");
    raw(path,
        "INSERT INTO ajena (nombre, importe, cuenta, libre, sin, fecha) VALUES "
        "('uno', 2.5, 5000000000, 'texto', 7, '2024-02-29')");
    const TableSchema s = db->tableDef("Ajena").schema();
    const Type expected[] = {Type::Long, Type::Text, Type::Double, Type::LongBinary,
                             Type::Long, Type::Memo, Type::Memo,   Type::DateTime};
    ASSERT_EQ(s.columns.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(s.columns[i].type, expected[i]) << i;
    EXPECT_TRUE(s.columns[0].autoNumber);
    EXPECT_EQ(s.columns[1].size, 40);
    EXPECT_TRUE(s.columns[1].required);
    EXPECT_FALSE(s.columns[1].allowZeroLength);
    EXPECT_EQ(s.columns[1].defaultValue, Value::text("x"));

    raw(path, "CREATE TABLE dos (a INTEGER, b INTEGER, PRIMARY KEY (a, b))");
    const TableSchema dos = db->tableDef("dos").schema();
    for (const Column& column : dos.columns) {
        EXPECT_EQ(column.type, Type::Integer);
        EXPECT_FALSE(column.autoNumber);
    }

    auto rs = db->openRecordset("Select ajena.* from ajena WHERE id=1;", OpenMode::Dynaset);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field("cuenta"), Value::dbl(5e9));  // beyond 32 bits: as it is
    EXPECT_EQ(rs->field("sin"), Value::text("7", Type::Memo));
    EXPECT_EQ(rs->field("fecha"), Value::dateTime(oleDaysFromCivil(2024, 2, 29)));
    auto add = db->openRecordset("ajena", OpenMode::Dynaset);
    add->addNew();
    add->update();  // the autonumber and the default fill in
    EXPECT_EQ(raw(path, "SELECT id || nombre FROM ajena WHERE id = 2"),
              std::vector<std::string>{"2x"});
}

TEST(Sqlite, EntradasErroneasUnErrorEnEspanolSinEscribirNada) {
    TempDir dir;
    const std::string missing = dir.path("no-existe.db");
    expectMentions(errorOf([&] { openDatabase(missing); }), {missing, "No se encuentra"});
    EXPECT_FALSE(std::filesystem::exists(missing));  // opening never creates a file
    const std::string empty = dir.path("vacio.db");
    std::ofstream(empty).close();
    expectMentions(errorOf([&] { openDatabase(empty); }), {empty, "vacío"});
    const std::string text = dir.path("texto.db");
    std::ofstream(text) << "esto no es una base de datos\n";
    expectMentions(errorOf([&] { openDatabase(text); }), {text, "no es una base de datos"});
    const std::string broken = dir.path("rota.db");
    std::ofstream(broken, std::ios::binary)
        << std::string("SQLite format 3\0", 16) << std::string(4000, 'x');
    expectMentions(errorOf([&] { openDatabase(broken); }), {broken, "dañada"});
    EXPECT_THROW(createSqliteDatabase(text), Error);  // never over an existing file

    const std::string path = dir.path("datos.db");
    auto db = createSqliteDatabase(path);
    createParcela(*db);
    addParcela(*db, 1, "uno");
    const std::string before = contents(path);
    const auto writeFails = [&](const std::function<void(Recordset&)>& fill,
                                const std::vector<std::string>& mentions) {
        auto rs = db->openRecordset("Select Parcela.* from Parcela;", OpenMode::Dynaset);
        rs->addNew();
        fill(*rs);
        expectMentions(errorOf([&] { rs->update(); }), mentions);
        rs->moveFirst();
        rs->edit();
        fill(*rs);
        expectMentions(errorOf([&] { rs->update(); }), mentions);
    };
    const std::vector<std::string> nombre = {path, "«Parcela»", "«nombre»"};
    const std::vector<std::string> clase = {path, "«Parcela»", "«clase»"};
    writeFails([](Recordset& rs) { rs.set("nombre", Value::text("demasiado largo")); }, nombre);
    writeFails([](Recordset& rs) { rs.set("nombre", Value::text("")); }, nombre);
    writeFails([](Recordset& rs) { rs.set("clase", Value::longInt(40000)); }, clase);
    writeFails([](Recordset& rs) { rs.set("clase", Value::text("cinco")); }, clase);
    writeFails([](Recordset& rs) { rs.set("fecha", Value::text("ayer")); },
               {path, "«Parcela»", "«fecha»"});
    EXPECT_EQ(rows(*db, "Parcela"), 1);
    EXPECT_EQ(contents(path), before);  // nothing written

    expectMentions(
        errorOf([&] { db->openRecordset("Select Parcela.* frm Parcela;", OpenMode::Snapshot); }),
        {"«Select Parcela.* frm Parcela;»", "no es válida"});
    expectMentions(
        errorOf([&] { db->openRecordset("Select Otra.* from Otra;", OpenMode::Snapshot); }),
        {path, "«Otra»", "No existe la tabla"});
    expectMentions(errorOf([&] {
                       db->openRecordset("Select Parcela.* from Parcela WHERE x=1;",
                                         OpenMode::Snapshot);
                   }),
                   {path, "«Parcela»", "«x»"});
    expectMentions(errorOf([&] { db->openRecordset("Parcela", OpenMode::Snapshot)->field("x"); }),
                   {path, "«Parcela»", "«x»"});
    expectMentions(
        errorOf([&] { db->tableDef("Parcela").setDefaultValue("clase", Value::longInt(99999)); }),
        clase);
}

TEST(Sqlite, FicheroDeSoloLecturaSeLeePeroNoSeEscribe) {
    TempDir dir;
    const std::string path = dir.path("solo-lectura.db");
    {
        auto db = createSqliteDatabase(path);
        createParcela(*db);
        addParcela(*db, 1, "uno");
    }
    chmod(path.c_str(), 0444);
    const std::string before = contents(path);
    auto db = openDatabase(path);
    EXPECT_EQ(rows(*db, "Parcela"), 1);
    expectMentions(errorOf([&] { addParcela(*db, 2, "dos"); }), {path, "solo lectura"});
    expectMentions(errorOf([&] {
                       TableDef def = db->createTableDef("Nueva");
                       def.appendField(def.createField("a", Type::Long));
                       db->appendTableDef(def);
                   }),
                   {path, "solo lectura"});
    expectMentions(errorOf([&] {
                       db->tableDef("Parcela").appendField(
                           db->tableDef("Parcela").createField("b", Type::Boolean));
                   }),
                   {path, "solo lectura"});
    EXPECT_EQ(contents(path), before);
}

TEST(Sqlite, BaseBloqueadaEsperaYFallaConMensajeClaro) {
    TempDir dir;
    const std::string path = dir.path("bloqueada.db");
    auto db = createSqliteDatabase(path);
    createParcela(*db);
    sqlite3* other = nullptr;
    sqlite3_open(path.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    setenv("PELMORA_ESPERA_BLOQUEO", "0.3", 1);
    expectMentions(errorOf([&] { addParcela(*db, 1, "uno"); }),
                   {path, "está ocupada", "se esperó 0,3 segundos"});
    unsetenv("PELMORA_ESPERA_BLOQUEO");
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    addParcela(*db, 1, "uno");
    EXPECT_EQ(rows(*db, "Parcela"), 1);
}

// The user's journal mode is theirs: writing never switches it, so no log files
// are left beside the database whatever ends the process.
TEST(Sqlite, LaBaseConservaSuModoDeDiario) {
    TempDir dir;
    for (const std::string mode : {"delete", "wal"}) {
        const std::string path = dir.path(mode + ".db");
        createSqliteDatabase(path);
        raw(path, "PRAGMA journal_mode = " + mode);
        {
            auto db = openDatabase(path);
            createParcela(*db);
            addParcela(*db, 1, "uno");
            // Bytes 18 and 19 of the header: 1 for a rollback journal, 2 for a log.
            EXPECT_EQ(int(contents(path)[18]), mode == "wal" ? 2 : 1) << "mientras está abierta";
        }
        EXPECT_EQ(raw(path, "PRAGMA journal_mode"), std::vector<std::string>{mode});
        if (mode != "wal") EXPECT_FALSE(std::filesystem::exists(path + "-wal")) << mode;
    }
}

// A scan walks a live cursor: a row changed ahead of it is read as changed.
TEST(Sqlite, CienMilRegistrosSeRecorrenSinCargarlosDeUnaVez) {
    TempDir dir;
    const std::string path = dir.path("grande.db");
    auto db = createSqliteDatabase(path);
    createParcela(*db);
    raw(path,
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "INSERT INTO Parcela (mslink, nombre) SELECT i, 'p' || (i % 1000) FROM n");
    auto rs = db->openRecordset("Select Parcela.* from Parcela;", OpenMode::Dynaset);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field("mslink"), Value::longInt(1));
    auto ahead =
        db->openRecordset("Select Parcela.* from Parcela WHERE mslink=90000;", OpenMode::Dynaset);
    ahead->edit();
    ahead->set("nombre", Value::text("cambiado"));
    ahead->update();

    int32_t count = 0;
    int64_t sum = 0;
    for (; !rs->eof(); rs->moveNext()) {
        ++count;
        sum += rs->field("mslink").toLong();
        if (count == 90000) {
            EXPECT_EQ(rs->field("nombre"), Value::text("cambiado"));
        }
        if (count % 2 == 0) {
            rs->edit();
            rs->set("hecho", Value::boolean(true));
            rs->update();
        }
    }
    EXPECT_EQ(count, 100000);
    EXPECT_EQ(sum, int64_t{100000} * 100001 / 2);
    EXPECT_EQ(raw(path, "SELECT count(*) FROM Parcela WHERE hecho = -1"),
              std::vector<std::string>{"50000"});
    auto ordered = db->openRecordset(
        "Select Parcela.* from Parcela WHERE mslink<60000 ORDER BY "
        "mslink;",
        OpenMode::Snapshot);
    ordered->moveLast();
    EXPECT_EQ(ordered->recordCount(), 59999);
    EXPECT_EQ(ordered->field("mslink"), Value::longInt(59999));
}

TEST(Sqlite, VerificacionDetectaValoresYPaginasDanadas) {
    TempDir dir;
    const std::string path = dir.path("verifica.db");
    auto db = createSqliteDatabase(path);
    createParcela(*db);
    addParcela(*db, 1, "uno");
    EXPECT_TRUE(db->verify().empty());
    raw(path, "UPDATE Parcela SET nombre = 'mucho más de diez', hecho = 5");
    auto problems = db->verify();
    ASSERT_EQ(problems.size(), 2u);
    expectMentions(problems[0], {"«Parcela»", "«nombre»"});
    expectMentions(problems[1], {"«Parcela»", "«hecho»"});
}

// Repeated lookups by equality go through an in-memory key index: interleaved
// inserts, edits and another connection's writes must never make it miss a row.
TEST(Sqlite, BusquedasRepetidasVenLasEscriturasIntercaladas) {
    TempDir dir;
    const std::string path = dir.path("claves.db");
    auto db = createSqliteDatabase(path);
    createParcela(*db);
    const std::vector<std::string> names = {"Ñu", "ñU", "nu", "Camión", "CAMIÓN", "camion"};
    struct Model {
        int32_t mslink;
        std::string nombre;
    };
    std::vector<Model> model;
    uint32_t seed = 12345;
    const auto next = [&](uint32_t n) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 40; ++i) {
        model.push_back({static_cast<int32_t>(next(10)), names[next(names.size())]});
        addParcela(*db, model.back().mslink, model.back().nombre);
    }
    for (int step = 0; step < 300; ++step) {
        const uint32_t action = next(4);
        const size_t row = next(static_cast<uint32_t>(model.size()));
        if (action == 0) {
            model.push_back({static_cast<int32_t>(next(10)), names[next(names.size())]});
            addParcela(*db, model.back().mslink, model.back().nombre);
        } else if (action == 1) {
            model[row] = {static_cast<int32_t>(next(10)), names[next(names.size())]};
            auto rs = db->openRecordset("Parcela", OpenMode::Dynaset);
            for (size_t k = 0; k < row; ++k) rs->moveNext();
            rs->edit();
            rs->set("mslink", Value::longInt(model[row].mslink));
            rs->set("nombre", Value::text(model[row].nombre));
            rs->update();
        } else if (action == 2) {
            model[row].mslink = static_cast<int32_t>(next(10));
            raw(path, "UPDATE Parcela SET mslink = " + std::to_string(model[row].mslink) +
                          " WHERE rowid = " + std::to_string(row + 1));
        }
        const int32_t mslink = static_cast<int32_t>(next(10));
        const std::string nombre = names[next(names.size())];
        int byNumber = 0, byText = 0;
        for (const Model& m : model) {
            byNumber += m.mslink == mslink;
            byText += textEquals(m.nombre, nombre);
        }
        EXPECT_EQ(
            rows(*db, "Select Parcela.* from Parcela WHERE mslink=" + std::to_string(mslink) + ";"),
            byNumber)
            << step;
        EXPECT_EQ(rows(*db, "Select Parcela.* from Parcela WHERE nombre='" + nombre + "';"), byText)
            << step;
    }
}

// A default is changed in the stored CREATE TABLE text: every other clause of a
// table made by another tool must come through untouched, and old rows keep
// their values.
TEST(Sqlite, ValorPredeterminadoEnTablasAjenasSinTocarNadaMas) {
    TempDir dir;
    const std::string path = dir.path("predeterminados.db");
    auto db = createSqliteDatabase(path);
    raw(path,
        "CREATE TABLE \"x(y)\" (\"a,b\" TEXT DEFAULT 'x,y' /* coma, ) */, [c(d)] INTEGER "
        "DEFAULT (1 + 2), e LONG DEFAULT -5 CHECK (e > -10), f TEXT, -- fin de línea\n"
        "g BOOLEAN NOT NULL DEFAULT 0, CONSTRAINT k CHECK (f <> ''))");
    raw(path, "INSERT INTO \"x(y)\" (f) VALUES ('antes')");
    TableDef def = db->tableDef("X(Y)");
    const std::vector<std::pair<std::string, Value>> defaults = {
        {"a,b", Value::text("O'Brien", Type::Memo)},
        {"c(d)", Value::integer(7)},
        {"e", Value::longInt(-3)},
        {"f", Value::text("nuevo", Type::Memo)},
        {"g", Value::boolean(true)}};
    for (const auto& [column, value] : defaults) def.setDefaultValue(column, value);

    const TableSchema schema = db->tableDef("x(y)").schema();
    for (size_t i = 0; i < defaults.size(); ++i)
        EXPECT_EQ(schema.columns[i].defaultValue, defaults[i].second) << i;
    EXPECT_FALSE(schema.columns[3].allowZeroLength);
    EXPECT_TRUE(db->verify().empty());
    db->insert("x(y)", Row(5), Given(5, false));
    EXPECT_EQ(raw(path, "SELECT quote(\"a,b\") || quote([c(d)]) || e || f || g FROM \"x(y)\""),
              (std::vector<std::string>{"'x,y'3-5antes0", "'O''Brien'7-3nuevo-1"}));
    raw(path, "INSERT INTO \"x(y)\" (e) VALUES (-20)");
    EXPECT_EQ(raw(path, "SELECT count(*) FROM \"x(y)\" WHERE e = -20"),
              std::vector<std::string>{"0"});  // the CHECK still holds
    EXPECT_EQ(raw(path, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

namespace {

// The values of a column through the engine, in stored order; with a condition
// `field = literal` when one is given.
std::vector<Value> columnValues(Database& db, const std::string& table, const std::string& field,
                                const std::optional<Value>& equal = std::nullopt) {
    Query query;
    query.table = table;
    if (equal) query.conditions.push_back({field, Comparison::Equal, *equal});
    const int column = db.schema(table).find(field);
    std::vector<Value> out;
    for (auto cursor = db.select(query); cursor->next();) out.push_back(cursor->value(column));
    return out;
}

}  // namespace

// Currency is stored exactly, as its 64-bit count of ten-thousandths in an integer
// column (declared CURRENCY_X10000 INTEGER, which other SQLite readers see as a
// whole number): the extremes and their neighbours come back as written, and
// conditions, defaults and the check see the values in units. Columns declared
// CURRENCY (files of earlier versions, other tools) hold units as numbers and
// still read and take values as before.
TEST(Sqlite, MonedaExactaEnteraYColumnasAntiguasEnUnidades) {
    TempDir dir;
    const std::string path = dir.path("moneda.db");
    const std::vector<Value> written = {Value::text("922337203685477.5807"),
                                        Value::text("-922337203685477.5808"),
                                        Value::text("922337203685477.5806"),
                                        Value::text("450359962737.0497"),
                                        Value::dbl(0.1 + 0.2),
                                        Value::text("-0,0001")};
    const std::vector<int64_t> stored = {INT64_MAX,        INT64_MIN, INT64_MAX - 1,
                                         4503599627370497, 3000,      -1};
    {
        auto db = createSqliteDatabase(path);
        db->createTable({"Nuevo", {{"importe", Type::Currency}}});
        for (const Value& v : written) db->insert("Nuevo", {v});
        db->addColumn("Nuevo", {"otro", Type::Currency});
        db->tableDef("Nuevo").setDefaultValue("otro", Value::currency(INT64_MAX));
        db->insert("Nuevo", {Value::currency(7), Value()}, {true, false});
    }
    std::vector<std::string> raws;
    for (int64_t n : stored) raws.push_back("integer " + std::to_string(n));
    raws.push_back("integer 7");
    EXPECT_EQ(raw(path, "SELECT typeof(importe) || ' ' || importe FROM Nuevo"), raws);
    auto db = openDatabase(path);
    const Column otro = db->schema("Nuevo").columns.at(1);
    EXPECT_EQ(otro.defaultValue, Value::currency(INT64_MAX));
    EXPECT_EQ(db->read("Nuevo", 7).at(1), Value::currency(INT64_MAX));
    const std::vector<Value> read = columnValues(*db, "Nuevo", "importe");
    ASSERT_EQ(read.size(), stored.size() + 1);
    for (size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(read[i], Value::currency(stored[i])) << i;
    EXPECT_EQ(read[0].toText(), "922337203685477.5807");
    for (int round = 0; round < 3; ++round) {  // the later ones through the key index
        EXPECT_EQ(columnValues(*db, "Nuevo", "importe", Value::dbl(0.3)),
                  std::vector<Value>{Value::currency(3000)});
        EXPECT_EQ(columnValues(*db, "Nuevo", "importe", Value::text("450359962737.0497")),
                  std::vector<Value>{Value::currency(4503599627370497)});
    }
    EXPECT_TRUE(db->verify().empty());

    raw(path, "CREATE TABLE Viejo (n LONG, importe CURRENCY DEFAULT 2.5)");
    raw(path, "INSERT INTO Viejo VALUES (1, 12.5), (2, 7), (3, 450000000000.1234)");
    db->insert("Viejo", {Value::longInt(4), Value::currency(12345)});
    db->insert("Viejo", {Value::longInt(5), Value()}, {true, false});
    EXPECT_EQ(columnValues(*db, "Viejo", "importe"),
              (std::vector<Value>{Value::currency(125000), Value::currency(70000),
                                  Value::currency(4500000000001234), Value::currency(12345),
                                  Value::currency(25000)}));
    EXPECT_EQ(raw(path, "SELECT typeof(importe) || ' ' || importe FROM Viejo WHERE n = 4"),
              std::vector<std::string>{"real 1.2345"});
    EXPECT_EQ(columnValues(*db, "Viejo", "importe", Value::dbl(12.5)),
              std::vector<Value>{Value::currency(125000)});
    db->tableDef("Viejo").setDefaultValue("importe", Value::currency(-5));
    EXPECT_EQ(db->schema("Viejo").columns.at(1).defaultValue, Value::currency(-5));
    EXPECT_TRUE(db->verify().empty());

    raw(path, "INSERT INTO Nuevo (importe) VALUES (1.5)");  // another tool's mistake
    const std::vector<std::string> problems = db->verify();
    ASSERT_EQ(problems.size(), 1u);
    expectMentions(problems[0], {"«Nuevo»", "«importe»"});
}

namespace {

// What the sqlite3 program answers to the statements on the file; nothing when it
// is not installed.
std::optional<pelmora::prueba::Ejecucion> sqlite3Answers(const std::string& path,
                                                         const std::string& sql) {
    const QString program = QStandardPaths::findExecutable("sqlite3");
    if (program.isEmpty()) return std::nullopt;
    return pelmora::prueba::Ejecuta(
        program, {"-batch", QString::fromStdString(path), QString::fromStdString(sql)});
}

}  // namespace

// Indexes: the shared checks, then what only SQLite does (a long autonumber is
// always the rowid key; index names shared by the file), and the file as the
// sqlite3 program sees it: sound, with the indexes and their directions, and
// refusing a duplicate key itself.
TEST(Sqlite, IndicesIdaYVuelta) {
    TempDir dir;
    const std::string path = dir.path("indices.db");
    auto db = createSqliteDatabase(path);
    pelmora::prueba::checkIndexes(*db);

    // A primary key off the autonumber becomes a unique index; the autonumber's
    // key takes a name no index given has.
    TableSchema movidas{"Movidas", {Column{"n", Type::Long}, Column{"a", Type::Text, 10}}};
    movidas.columns[0].autoNumber = true;
    db->createTable(movidas, {{"PrimaryKey", {{"a"}}, true, true}});
    std::vector<std::string> read;
    for (const Index& index : db->indexes("Movidas"))
        read.push_back(pelmora::prueba::described(index));
    EXPECT_EQ(read, (std::vector<std::string>{"PrimaryKey1: n (única) (principal)",
                                              "PrimaryKey: a (única)"}));
    EXPECT_EQ(db->schema("Movidas").columns[0].type, Type::Long);
    EXPECT_TRUE(db->schema("Movidas").columns[0].autoNumber);

    // Other files: an unnamed rowid key is "PrimaryKey"; indexes on an expression
    // or on some rows are left out; names without the table's are kept.
    for (const char* sql : {"CREATE TABLE Viejas (id INTEGER PRIMARY KEY, x LONG)",
                            "CREATE INDEX expresion ON Viejas (x + 1)",
                            "CREATE INDEX parcial ON Viejas (x) WHERE x > 0",
                            "CREATE UNIQUE INDEX llana ON Viejas (x DESC)"})
        raw(path, sql);
    read.clear();
    for (const Index& index : db->indexes("viejas"))
        read.push_back(pelmora::prueba::described(index));
    EXPECT_EQ(read, (std::vector<std::string>{"PrimaryKey: id (única) (principal)",
                                              "llana: x DESC (única)"}));

    // An index whose stored name is taken leaves no table behind, alone or in a
    // group of writes, which goes on.
    db->createTable({"Vias.Nombre", {Column{"x", Type::Long}}});
    for (bool group : {false, true}) {
        if (group) db->beginWrites();
        const std::string taken = errorOf([&] {
            db->createTable({"Vias", {Column{"nombre", Type::Text, 20}}},
                            {{"Nombre", {{"nombre"}}, false, false}});
        });
        EXPECT_NE(taken.find("Vias"), std::string::npos) << taken;
        if (group)
            db->createTable({"Caminos", {Column{"nombre", Type::Text, 20}}},
                            {{"Nombre", {{"nombre"}}, true, false}});
        if (group) db->endWrites();
    }
    const std::vector<std::string> names = db->tableNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Vias"), 0);
    EXPECT_EQ(pelmora::prueba::described(db->indexes("Caminos").at(0)), "Nombre: nombre (única)");
    db.reset();

    const auto sound = sqlite3Answers(path, "PRAGMA integrity_check");
    if (!sound) GTEST_SKIP() << "sin el programa sqlite3";
    EXPECT_EQ(sound->salida.trimmed().toStdString(), "ok");
    const auto indexes = sqlite3Answers(
        path,
        "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name;"
        "SELECT name || ' ' || \"desc\" FROM pragma_index_xinfo('Parcelas.Alta') WHERE key;"
        "SELECT x.name || ' ' || x.\"desc\" FROM pragma_index_list('Parcelas') l "
        "JOIN pragma_index_xinfo(l.name) x WHERE l.origin = 'pk' AND x.key;");
    EXPECT_EQ(
        indexes->salida.toStdString(),
        "Caminos.Nombre\nMovidas.PrimaryKey\nParcelas.Alta\nParcelas.Código\nRecintos.Código\n"
        "expresion\nllana\nparcial\n"
        "alta 1\nsuperficie 0\nmunicipio 0\nnumero 1\n");
    const auto duplicate = sqlite3Answers(
        path, "INSERT INTO Parcelas (municipio, numero, \"código\") VALUES ('Soria', 1, 99)");
    EXPECT_NE(duplicate->codigo, 0);
    EXPECT_TRUE(duplicate->errores.contains("UNIQUE")) << duplicate->errores.toStdString();
}
