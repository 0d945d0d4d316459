// pelmora-bdd run as users run it: the built executable, its output, its exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"
#include "tests/support/jet_oracles.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;
using pelmora::prueba::LeeFichero;

using pelmora::prueba::TempDir;

namespace {

struct Salida {
    int code;
    std::string out, err;
};

std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs pelmora-bdd with the arguments and `input` on stdin.
Salida bdd(const TempDir& dir, const std::vector<std::string>& args,
           const std::string& input = "") {
    std::ofstream(dir.path("stdin"), std::ios::binary) << input;
    std::string command = quote(std::string(PELMORA_BIN_DIR) + "/pelmora-bdd");
    for (const std::string& arg : args) command += " " + quote(arg);
    command += " <" + quote(dir.path("stdin")) + " >" + quote(dir.path("stdout")) + " 2>" +
               quote(dir.path("stderr"));
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), LeeFichero(dir.path("stdout")), LeeFichero(dir.path("stderr"))};
}

std::string lines(const std::vector<std::string>& all) {
    std::string text;
    for (const std::string& line : all) text += line + "\n";
    return text;
}

}  // namespace

TEST(PelmoraBdd, IdaYVueltaDeTablasYRegistros) {
    TempDir dir;
    const std::string db = dir.path("ida y vuelta.db");
    ASSERT_EQ(bdd(dir, {"create", db}).code, 0);
    const std::vector<std::string> columns = {"mslink:long",
                                              "nombre:text:30",
                                              "hecho:boolean",
                                              "fecha:datetime",
                                              "importe:currency",
                                              "clase:integer",
                                              "b:byte",
                                              "r:double",
                                              "s:single",
                                              "datos:binary",
                                              "nota:memo:allowzerolength",
                                              "id:guid",
                                              "d:decimal"};
    std::vector<std::string> create = {"create-table", db, "199ETIQUETAS"};
    create.insert(create.end(), columns.begin(), columns.end());
    ASSERT_EQ(bdd(dir, create).code, 0);

    const std::string rows = lines({
        R"({"mslink": 1, "nombre": "camión \"uno\" \\ ñ", "hecho": true, )"
        R"("fecha": "2026-12-07 10:20:30", "importe": 12.5, "clase": -7, "b": 255, )"
        R"("r": 0.1, "s": 1.1, "datos": "00ff10", "nota": "", )"
        R"("id": "{01234567-89AB-CDEF-0123-456789ABCDEF}", "d": -123.45})",
        R"({"mslink": 2, "nombre": "línea\nnueva\ttab", "hecho": false, "fecha": null, )"
        R"("importe": -0.0001, "clase": 32767, "b": 0, "r": 1e+300, "s": -3.4028235e+38, )"
        R"("datos": "", "nota": "🙂", "id": null, "d": 0})",
        R"({"mslink": null, "nombre": null, "hecho": false, "fecha": "1899-12-30 12:00:00", )"
        R"("importe": null, "clase": null, "b": null, "r": null, "s": null, "datos": null, )"
        R"("nota": null, "id": null, "d": null})",
    });
    Salida insert = bdd(dir, {"insert", db, "199etiquetas"}, rows);
    ASSERT_EQ(insert.code, 0) << insert.err;
    EXPECT_EQ(insert.out, "3 registros añadidos a «199ETIQUETAS»\n");
    Salida dump = bdd(dir, {"dump", db, "199ETIQUETAS"});
    EXPECT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, rows);

    Salida schema = bdd(dir, {"schema", db, "199Etiquetas"});
    EXPECT_EQ(schema.out, lines({"mslink:long", "nombre:text:30", "hecho:boolean default=false",
                                 "fecha:datetime", "importe:currency", "clase:integer", "b:byte",
                                 "r:double", "s:single", "datos:binary",
                                 "nota:memo:allowzerolength", "id:guid", "d:decimal"}));

    // A column added to a table with rows: every old row reads its default.
    ASSERT_EQ(bdd(dir, {"add-column", db, "199ETIQUETAS", "tcorrelate:boolean"}).code, 0);
    ASSERT_EQ(bdd(dir, {"add-column", db, "199ETIQUETAS", "extra:text:5"}).code, 0);
    dump = bdd(dir, {"dump", db, "199ETIQUETAS"});
    std::istringstream dumped(dump.out);
    int count = 0;
    for (std::string line; std::getline(dumped, line); ++count)
        EXPECT_NE(line.find(R"(, "tcorrelate": false, "extra": null})"), std::string::npos) << line;
    EXPECT_EQ(count, 3);

    Salida update = bdd(dir, {"update", db, "199ETIQUETAS", "--set", "extra=sí", "--set",
                              "tcorrelate=true", "--where", "nombre=CAMIÓN \"UNO\" \\ Ñ"});
    EXPECT_EQ(update.code, 0) << update.err;
    EXPECT_EQ(update.out, "1 registro actualizado en «199ETIQUETAS»\n");
    dump = bdd(dir, {"dump", db, "199ETIQUETAS"});
    EXPECT_NE(dump.out.find(R"("tcorrelate": true, "extra": "sí"})"), std::string::npos);
    EXPECT_EQ(
        bdd(dir, {"update", db, "199ETIQUETAS", "--set", "extra=x", "--where", "mslink=null"}).out,
        "0 registros actualizados en «199ETIQUETAS»\n");  // Null matches nothing

    ASSERT_EQ(bdd(dir, {"create-table", db, "MSysPropia", "a:long"}).code, 0);
    EXPECT_EQ(bdd(dir, {"tables", db}).out, "199ETIQUETAS\n");
    EXPECT_EQ(bdd(dir, {"tables", db, "--system"}).out, "199ETIQUETAS\nMSysPropia\n");
    Salida check = bdd(dir, {"check", db});
    EXPECT_EQ(check.code, 0) << check.out;
}

TEST(PelmoraBdd, ErroresDeUsoYDeDatos) {
    TempDir dir;
    const std::string db = dir.path("errores.db");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frob", db},
                                               {"dump", db},
                                               {"tables", db, "--nada"},
                                               {"update", db, "T"},
                                               {"update", db, "T", "--set", "sinigual"},
                                               {"create-table", db, "T", "a:entero"},
                                               {"create-table", db, "T", "a:text:300"}}) {
        Salida run = bdd(dir, args);
        EXPECT_EQ(run.code, 2) << run.err;
        EXPECT_NE(run.err.find("Uso: pelmora-bdd"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(db));

    Salida missing = bdd(dir, {"tables", db});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find(db), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(db));

    ASSERT_EQ(bdd(dir, {"create", db}).code, 0);
    EXPECT_EQ(bdd(dir, {"create", db}).code, 1);
    ASSERT_EQ(bdd(dir, {"create-table", db, "T", "a:long", "b:text:3"}).code, 0);
    Salida bad =
        bdd(dir, {"insert", db, "T"}, "{\"a\": 1}\n\n{\"a\": 2, \"b\": \"largo\"}\n{\"a\": 3}\n");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Línea 3"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("«b»"), std::string::npos) << bad.err;
    EXPECT_EQ(bdd(dir, {"dump", db, "T"}).out, "{\"a\": 1, \"b\": null}\n");
    for (const char* line : {"{\"a\": 1", "{\"c\": 1}", "[1]", "{\"a\": \"x\"}"}) {
        Salida wrong = bdd(dir, {"insert", db, "T"}, line + std::string("\n"));
        EXPECT_EQ(wrong.code, 1) << line;
        EXPECT_NE(wrong.err.find("Línea 1"), std::string::npos) << wrong.err;
    }
    EXPECT_EQ(bdd(dir, {"update", db, "T", "--set", "zz=1"}).code, 1);
    EXPECT_EQ(bdd(dir, {"add-column", db, "T", "A:long"}).code, 1);

    chmod(db.c_str(), 0444);
    Salida readOnly = bdd(dir, {"insert", db, "T"}, "{\"a\": 9}\n");
    EXPECT_EQ(readOnly.code, 1);
    EXPECT_NE(readOnly.err.find("solo lectura"), std::string::npos) << readOnly.err;
    EXPECT_EQ(bdd(dir, {"dump", db, "T"}).out, "{\"a\": 1, \"b\": null}\n");
}

namespace {

std::string propertiesOf(const std::string& db, const std::string& table) {
    std::string out;
    EXPECT_TRUE(pelmora::test::runCommand("mdb-prop '" + db + "' " + table, out));
    return out;
}

// The block of one column in mdb-prop's output: its properties, one per line.
std::string columnBlock(const std::string& properties, const std::string& column) {
    const size_t start = properties.find("name: " + column + "\n");
    if (start == std::string::npos) return "";
    return properties.substr(start, properties.find("\n\n", start) - start);
}

// On an Access file the properties are where Access keeps them: mdb-prop shows
// Required, AllowZeroLength and the GenGUID() default, mdb-reader the autonumber marks.
void expectStoredAsAccessDoes(const std::string& db) {
    const std::string t = propertiesOf(db, "T");
    EXPECT_NE(columnBlock(t, "nombre").find("Required: yes"), std::string::npos) << t;
    EXPECT_NE(columnBlock(t, "nota").find("AllowZeroLength: yes"), std::string::npos) << t;
    EXPECT_NE(columnBlock(propertiesOf(db, "G"), "clave").find("DefaultValue: GenGUID()"),
              std::string::npos);
    EXPECT_NE(columnBlock(propertiesOf(db, "E"), "n").find("Required: yes"), std::string::npos);
    const auto dump = pelmora::test::mdbReaderDump({db});
    if (dump.empty()) return;
    const QJsonArray t_columns = dump.at(db).at("T").columns;
    const QJsonArray g_columns = dump.at(db).at("G").columns;
    EXPECT_TRUE(t_columns[0].toObject()["autoLong"].toBool());
    EXPECT_FALSE(t_columns[1].toObject()["autoLong"].toBool());
    EXPECT_TRUE(g_columns[0].toObject()["autoUUID"].toBool());
    ASSERT_EQ(dump.at(db).at("T").rows.size(), 2u);
    EXPECT_EQ(dump.at(db).at("T").rows[1]["id"].toInt(), 2);
}

void columnProperties(const TempDir& dir, const std::string& db, bool access) {
    ASSERT_EQ(bdd(dir, {"create-table", db, "T", "id:long:autonumber", "nombre:text:20:required",
                        "nota:text:20:allowzerolength"})
                  .code,
              0);
    ASSERT_EQ(bdd(dir, {"create-table", db, "G", "clave:guid:autonumber", "x:long"}).code, 0);
    ASSERT_EQ(bdd(dir, {"create-table", db, "E", "a:long"}).code, 0);
    ASSERT_EQ(bdd(dir, {"add-column", db, "E", "n:long:required"}).code, 0);
    EXPECT_EQ(bdd(dir, {"schema", db, "E"}).out, lines({"a:long", "n:long:required"}));
    EXPECT_EQ(
        bdd(dir, {"schema", db, "T"}).out,
        lines({"id:long:autonumber", "nombre:text:20:required", "nota:text:20:allowzerolength"}));
    EXPECT_EQ(bdd(dir, {"schema", db, "G"}).out, lines({"clave:guid:autonumber", "x:long"}));

    Salida insert = bdd(dir, {"insert", db, "T"},
                        lines({R"({"nombre": "a", "nota": ""})", R"({"nombre": "b"})"}));
    ASSERT_EQ(insert.code, 0) << insert.err;
    EXPECT_EQ(bdd(dir, {"dump", db, "T"}).out,
              lines({R"({"id": 1, "nombre": "a", "nota": ""})",
                     R"({"id": 2, "nombre": "b", "nota": null})"}));
    for (const char* line : {R"({"nota": "x"})", R"({"nombre": null})"}) {
        Salida refused = bdd(dir, {"insert", db, "T"}, line + std::string("\n"));
        EXPECT_EQ(refused.code, 1) << line;
        EXPECT_NE(refused.err.find("«nombre»"), std::string::npos) << refused.err;
    }
    ASSERT_EQ(
        bdd(dir, {"insert", db, "G"}, lines({R"({"x": 1})", R"({"x": 2, "clave": null})"})).code,
        0);
    const std::string guids = bdd(dir, {"dump", db, "G"}).out;
    const size_t first = guids.find("\"{"), second = guids.find("\"{", first + 1);
    ASSERT_NE(second, std::string::npos) << guids;
    EXPECT_NE(guids.substr(first, 40), guids.substr(second, 40)) << guids;
    EXPECT_NE(bdd(dir, {"insert", db, "E"}, "{\"a\": 1}\n").err.find("«n»"), std::string::npos);
    if (access) expectStoredAsAccessDoes(db);
    ASSERT_EQ(bdd(dir, {"insert", db, "E"}, "{\"a\": 1, \"n\": 2}\n").code, 0);

    // Refused by name, nothing written: what no file can hold, and what the rows
    // already in a table would break.
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"add-column", db, "T", "r:long:required"}, "«r»"},
        {{"add-column", db, "E", "b:long:autonumber"}, "«b»"},
        {{"add-column", db, "T", "otro:long:autonumber"}, "autonuméric"},
        {{"add-column", db, "E", "d:double:allowzerolength"}, "longitud cero"},
        {{"add-column", db, "E", "t:text:autonumber"}, "autonumérico"},
        {{"create-table", db, "D", "a:long:autonumber", "b:guid:autonumber"}, "dos campos"},
        {{"create-table", db, "D", "a:long:autonumber:required"}, "obligatorio"},
    };
    for (const auto& [args, why] : refusals) {
        Salida refused = bdd(dir, args);
        EXPECT_EQ(refused.code, 1) << args.back();
        EXPECT_NE(refused.err.find(why), std::string::npos) << refused.err;
    }
    EXPECT_EQ(
        bdd(dir, {"schema", db, "T"}).out,
        lines({"id:long:autonumber", "nombre:text:20:required", "nota:text:20:allowzerolength"}));
    EXPECT_EQ(bdd(dir, {"schema", db, "D"}).code, 1);
    EXPECT_EQ(bdd(dir, {"check", db}).code, 0);
}

}  // namespace

// Column properties given to create-table and add-column land in the file and
// hold after reopening, on both kinds of file: a required field refuses Null, an
// autonumber numbers the rows, a replication-ID autonumber takes new GUIDs.
TEST(PelmoraBdd, PropiedadesDeLosCamposEscritasYCumplidas) {
    TempDir dir;
    const std::string sqlite = dir.path("propiedades.db");
    ASSERT_EQ(bdd(dir, {"create", sqlite}).code, 0);
    columnProperties(dir, sqlite, false);
    const std::string empty = std::string(PELMORA_FIXTURES) + "/empty.mdb";
    if (!std::filesystem::exists(empty)) GTEST_SKIP() << "sin ficheros de Access de prueba";
    columnProperties(dir, dir.writableCopy(empty, "propiedades.mdb"), true);
}

namespace {

// Where the first row of the table keeps its value of the column, in the file.
uint64_t firstValueOffset(const std::string& path, const std::string& table,
                          const std::string& column) {
    pelmora::engine::jet::JetFile jet(path);
    auto t = jet.table(table);
    pelmora::engine::jet::TableScan scan(jet.pages(), t->definition);
    std::string_view bytes;
    if (!scan.next() ||
        !scan.row().columnBytes(t->definition.columns.at(t->schema.find(column)), bytes))
        return 0;
    auto page = jet.pages().page(scan.position().page);
    return uint64_t(page->number()) * jet.pages().format().pageSize +
           (reinterpret_cast<const uint8_t*>(bytes.data()) - page->data());
}

}  // namespace

// A date that a damaged row holds far outside the years 100 to 9999 is an error
// naming the file, the table and the column, read through the engine or by dump
// (exit 1, as any value that cannot be read), never shown as a nonsense year.
TEST(PelmoraBdd, FechaDeUnRegistroDanadoEsUnErrorQueNombraElCampo) {
    const std::string original = std::string(PELMORA_FIXTURES) + "/testV2000.mdb";
    if (!std::filesystem::exists(original)) GTEST_SKIP() << "sin ficheros de Access de prueba";
    TempDir dir;
    const std::string path = dir.writableCopy(original, "fecha dañada.mdb");
    const uint64_t at = firstValueOffset(path, "Table1", "G");
    ASSERT_NE(at, 0u);
    const double farAway = 1e12;  // days: some 2.7 thousand million years on
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(at));
        file.write(reinterpret_cast<const char*>(&farAway), sizeof farAway);
    }
    auto db = pelmora::engine::openDatabase(path);
    pelmora::engine::Database& backend = *db;
    pelmora::engine::Query query;
    query.table = "Table1";
    auto cursor = backend.select(query);
    ASSERT_TRUE(cursor->next());
    const int g = backend.schema("Table1").find("G");
    EXPECT_EQ(cursor->value(0).rawText(), "abcdefg");  // the rest of the row reads
    for (const std::string& message : {errorOf([&] { cursor->value(g); }),
                                       errorOf([&] { backend.read("Table1", cursor->id()); })}) {
        for (const std::string& named : {std::string("«G»"), std::string("«Table1»"), path,
                                         std::string("dañado"), std::string("1000000000000")})
            EXPECT_NE(message.find(named), std::string::npos) << message;
    }
    db.reset();

    Salida dump = bdd(dir, {"dump", path, "Table1"});
    EXPECT_EQ(dump.code, 1);
    EXPECT_EQ(dump.out, "");  // the damaged row is the first one
    EXPECT_NE(dump.err.find("«G»"), std::string::npos) << dump.err;
    EXPECT_NE(dump.err.find("«Table1»"), std::string::npos) << dump.err;
}

namespace {

// mdbtools' reading of a table's primary key and indexes (mdb-schema's
// statements for them), sorted.
std::vector<std::string> mdbtoolsIndexes(const std::string& file, const std::string& table) {
    std::string out;
    pelmora::test::runCommand(
        "mdb-schema --indexes -T " + quote(table) + " " + quote(file) + " postgres 2>/dev/null",
        out);
    std::vector<std::string> found;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);)
        if (line.find(" INDEX ") != std::string::npos ||
            line.find("PRIMARY KEY") != std::string::npos)
            found.push_back(line);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

// Access files copied into Access files of their own version keep every primary
// key and index: the engine and mdbtools read the same ones from the copy as from
// the original, rows come in the same order, every index holds exactly its rows'
// keys (check), and the copy's keys go on being enforced.
TEST(PelmoraBdd, CopiaLosIndicesEntreFicherosDeAccess) {
    using pelmora::test::fixture;
    if (!std::filesystem::exists(fixture("emptyJet4.mdb")))
        GTEST_SKIP() << "sin ficheros de Access de prueba";
    const std::vector<std::pair<std::string, std::string>> copies = {
        {"indexTestV2000.mdb", "emptyJet4.mdb"},
        {"compIndexTestV2000.mdb", "emptyJet4.mdb"},
        {"testIndexPropertiesV2000.mdb", "emptyJet4.mdb"},
        {"bigIndexTestV2000.mdb", "emptyJet4.mdb"},
        {"testIndexCodesV1997.mdb", "test2V1997.mdb"},
        {"indexTestV1997.mdb", "test2V1997.mdb"},
        {"indexTestV2007.accdb", "empty2007.accdb"},
        {"indexTestV2010.accdb", "empty2010.accdb"},
    };
    int indexes = 0;
    for (const auto& [from, into] : copies) {
        SCOPED_TRACE(from + " → " + into);
        TempDir dir;
        const std::string source = fixture(from);
        const std::string target = pelmora::test::fixtureCopy(dir, into);
        Salida copy = bdd(dir, {"copy", source, target});
        ASSERT_EQ(copy.code, 0) << copy.err;
        Salida check = bdd(dir, {"check", target});
        EXPECT_EQ(check.code, 0) << check.out;
        std::istringstream tables(bdd(dir, {"tables", source}).out);
        for (std::string table; std::getline(tables, table);) {
            SCOPED_TRACE(table);
            const std::string listed = bdd(dir, {"indexes", source, table}).out;
            indexes += static_cast<int>(std::count(listed.begin(), listed.end(), '\n'));
            EXPECT_EQ(bdd(dir, {"indexes", target, table}).out, listed);
            EXPECT_EQ(bdd(dir, {"dump", target, table}).out, bdd(dir, {"dump", source, table}).out);
            // mdbtools reads the indexes of testIndexPropertiesV2000 without their columns.
            const std::vector<std::string> original = mdbtoolsIndexes(source, table);
            if (std::none_of(original.begin(), original.end(), [](const std::string& line) {
                    return line.find("()") != std::string::npos;
                }))
                EXPECT_EQ(mdbtoolsIndexes(target, table), original);
        }
    }
    EXPECT_GT(indexes, 40);

    // Through SQLite and back: the same indexes, rows and sound files.
    for (const auto& [from, into] : std::vector<std::pair<std::string, std::string>>{
             {"compIndexTestV2000.mdb", "emptyJet4.mdb"},
             {"testIndexPropertiesV2000.mdb", "emptyJet4.mdb"},
             {"testIndexCodesV1997.mdb", "test2V1997.mdb"}}) {
        SCOPED_TRACE(from + " → SQLite → " + into);
        TempDir dir;
        const std::string source = fixture(from), sqlite = dir.path("copia.db");
        const std::string back = pelmora::test::fixtureCopy(dir, into);
        ASSERT_EQ(bdd(dir, {"copy", source, sqlite}).code, 0);
        ASSERT_EQ(bdd(dir, {"copy", sqlite, back}).code, 0);
        EXPECT_EQ(bdd(dir, {"check", back}).code, 0);
        std::istringstream tables(bdd(dir, {"tables", source}).out);
        for (std::string table; std::getline(tables, table);) {
            const std::string listed = bdd(dir, {"indexes", source, table}).out;
            EXPECT_EQ(bdd(dir, {"indexes", sqlite, table}).out, listed) << table;
            EXPECT_EQ(bdd(dir, {"indexes", back, table}).out, listed) << table;
            EXPECT_EQ(bdd(dir, {"dump", back, table}).out, bdd(dir, {"dump", source, table}).out);
        }
    }

    // A key the copy's primary key already holds is refused, and leaves the file sound.
    TempDir dir;
    const std::string target = pelmora::test::fixtureCopy(dir, "emptyJet4.mdb");
    ASSERT_EQ(bdd(dir, {"copy", fixture("indexTestV2000.mdb"), target}).code, 0);
    Salida twice = bdd(dir, {"insert", target, "Table2"}, "{\"id\": 1, \"data\": \"otra\"}\n");
    EXPECT_EQ(twice.code, 1);
    pelmora::test::expectMentions(twice.err, {"PrimaryKey", "Table2"});
    ASSERT_EQ(bdd(dir, {"insert", target, "Table2"}, "{\"id\": -5, \"data\": \"nueva\"}\n").code,
              0);
    EXPECT_EQ(bdd(dir, {"check", target}).code, 0);
}
