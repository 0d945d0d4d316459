// The PostgreSQL backend on the suite's own throw-away server: the semantics every
// backend shares, every type through the server and back, tables made by other
// tools, write groups that land whole (a killed writer leaves nothing), snapshots
// for reading, numbering by concurrent writers, and addresses whose password never
// shows.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStandardPaths>
#include <fstream>
#include <optional>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "tests/support/Ejecucion.h"
#include "tests/support/Fallo.h"
#include "tests/support/IndexSemantics.h"
#include "tests/support/QuerySemantics.h"
#include "tests/support/ServidorPrueba.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValuePrint.h"

using namespace pelmora::engine;
using pelmora::prueba::BdDServidor;

namespace {

#define REQUIERE_SERVIDOR() \
    if (!BdDServidor::hay()) GTEST_SKIP() << "sin el servidor PostgreSQL de las pruebas"

std::vector<int32_t> firstColumn(Database& db, const std::string& statement) {
    std::vector<int32_t> out;
    auto rs = db.openRecordset(statement, OpenMode::Snapshot);
    for (; !rs->eof(); rs->moveNext()) out.push_back(rs->field(rs->fieldName(0)).toLong());
    return out;
}

Column columna(const std::string& nombre, Type tipo, int tamano = 0) {
    Column c;
    c.name = nombre;
    c.type = tipo;
    c.size = tamano;
    return c;
}

// What psql answers to the statement on the database, one line per row, fields
// split by '|'; nothing when psql is not installed.
std::optional<pelmora::prueba::Ejecucion> psqlAnswers(const BdDServidor& base,
                                                      const std::string& sql) {
    const QString program = QStandardPaths::findExecutable("psql");
    if (program.isEmpty()) return std::nullopt;
    return pelmora::prueba::Ejecuta(
        program, {"-X", "-At", "-d", QString::fromStdString(base.direccion()), "-c",
                  QString::fromStdString(sql)});
}

}  // namespace

TEST(Postgresql, SemanticaCompartida) {
    REQUIERE_SERVIDOR();
    BdDServidor semantica, recordset;
    pelmora::prueba::checkQuerySemantics(*openDatabase(semantica.direccion()));
    pelmora::prueba::checkRecordsetBehaviour(*openDatabase(recordset.direccion()));
}

TEST(Postgresql, CadaTipoIdaYVuelta) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    const std::vector<std::pair<Type, Value>> muestras = {
        {Type::Boolean, Value::boolean(true)},
        {Type::Byte, Value::byte(200)},
        {Type::Integer, Value::integer(-300)},
        {Type::Long, Value::longInt(-2147483647 - 1)},
        {Type::Currency, Value::currency(-922337203685477580)},
        {Type::Single, Value::single(0.1f)},
        {Type::Double, Value::dbl(0.1)},
        {Type::DateTime, Value::dateTime(oleDaysFromCivil(1850, 6, 1, 6, 30, 15))},
        {Type::Text, Value::text("O'Brien \"camión\" 😀")},
        {Type::Memo, Value::text(std::string(100000, 'x'), Type::Memo)},
        {Type::Binary, Value::binary(std::string("\0\x01\xff", 3))},
        {Type::LongBinary, Value::binary(std::string(5000, '\0'), Type::LongBinary)},
        {Type::Guid, Value::guid("{01234567-89AB-CDEF-0123-456789ABCDEF}")},
        {Type::Decimal, Value::decimal("-12345678901234567.5")},
    };
    {
        auto db = openDatabase(base.direccion());
        TableSchema tabla{"Todos", {}};
        for (const auto& [tipo, valor] : muestras) {
            tabla.columns.push_back(columna(std::string("c") + typeName(tipo), tipo,
                                            tipo == Type::Text     ? 40
                                            : tipo == Type::Binary ? 10
                                                                   : 0));
        }
        Column requerido = columna("requerido", Type::Text, 10);
        requerido.required = true;
        requerido.defaultValue = Value::text("¿sí?");
        tabla.columns.push_back(requerido);
        Column numero = columna("numero", Type::Long);
        numero.autoNumber = true;
        tabla.columns.push_back(numero);
        db->createTable(tabla);
        Row fila;
        for (const auto& muestra : muestras) fila.push_back(muestra.second);
        Given dados(fila.size(), true);
        fila.push_back(Value());
        fila.push_back(Value());
        dados.push_back(false);
        dados.push_back(false);
        db->insert("todos", fila, dados);
        db->insert("TODOS", fila, dados);
    }
    auto db = openDatabase(base.direccion());  // read back as the catalog says
    const TableSchema leida = db->schema("Todos");
    ASSERT_EQ(leida.columns.size(), muestras.size() + 2);
    for (size_t i = 0; i < muestras.size(); ++i) {
        EXPECT_EQ(leida.columns[i].type, muestras[i].first) << leida.columns[i].name;
        EXPECT_EQ(leida.columns[i].allowZeroLength, false) << leida.columns[i].name;
    }
    EXPECT_EQ(leida.columns[8].size, 40);
    EXPECT_EQ(leida.columns[10].size, 10);
    EXPECT_TRUE(leida.columns[14].required);
    EXPECT_EQ(leida.columns[14].defaultValue, Value::text("¿sí?"));
    EXPECT_TRUE(leida.columns[15].autoNumber);
    auto cursor = db->select(Query{"Todos", {}, std::nullopt});
    for (int32_t n = 1; n <= 2; ++n) {
        ASSERT_TRUE(cursor->next());
        for (size_t i = 0; i < muestras.size(); ++i)
            EXPECT_EQ(cursor->value(static_cast<int>(i)), muestras[i].second) << i;
        EXPECT_EQ(cursor->value(14), Value::text("¿sí?"));
        EXPECT_EQ(cursor->value(15), Value::longInt(n));
    }
    EXPECT_FALSE(cursor->next());
    // What the server cannot hold is refused before anything is written.
    const std::string nulo = pelmora::prueba::errorOf([&] {
        db->insert("Todos", {Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(),
                             Value::text(std::string("a\0b", 3)), Value(), Value(), Value(),
                             Value(), Value(), Value::text("x"), Value()});
    });
    EXPECT_NE(nulo.find("carácter nulo"), std::string::npos) << nulo;
    EXPECT_EQ(
        firstColumn(*db, "Select Todos.* from Todos WHERE ctexto='O''BRIEN \"CAMIÓN\" 😀';").size(),
        2u);
}

TEST(Postgresql, TablasDeOtrasHerramientas) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    base.ejecuta(
        "CREATE TABLE clave (n integer PRIMARY KEY, nombre text);"
        "INSERT INTO clave VALUES (3, 'c'), (1, 'a'), (2, 'b');"
        "CREATE TABLE suelta (n bigint, fecha date DEFAULT '2020-02-29', x numeric(8,2) DEFAULT "
        "1.5);"
        "INSERT INTO suelta (n) VALUES (5), (4);");
    auto db = openDatabase(base.direccion());
    // In key order, and editable through the key.
    EXPECT_EQ(firstColumn(*db, "CLAVE"), (std::vector<int32_t>{1, 2, 3}));
    {
        auto rs =
            db->openRecordset("Select clave.* from clave WHERE nombre='B';", OpenMode::Dynaset);
        rs->edit();
        rs->set("nombre", Value::text("be"));
        rs->update();
    }
    EXPECT_EQ(firstColumn(*db, "Select clave.* from clave WHERE nombre='BE';"),
              std::vector<int32_t>{2});
    // Without a key: read in the server's order, but not edited.
    const TableSchema suelta = db->schema("suelta");
    EXPECT_EQ(suelta.columns[1].defaultValue, Value::dateTime(oleDaysFromCivil(2020, 2, 29)));
    EXPECT_EQ(suelta.columns[2].defaultValue, Value::decimal("1.5"));
    EXPECT_EQ(firstColumn(*db, "suelta").size(), 2u);
    const std::string sinClave = pelmora::prueba::errorOf([&] {
        auto rs = db->openRecordset("suelta", OpenMode::Dynaset);
        rs->edit();
        rs->set("n", Value::longInt(9));
        rs->update();
    });
    EXPECT_NE(sinClave.find("clave primaria"), std::string::npos) << sinClave;
}

TEST(Postgresql, GruposDeEscriturasEnteros) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    {
        auto db = openDatabase(base.direccion());
        db->createTable(
            TableSchema{"T", {columna("n", Type::Long), columna("texto", Type::Text, 3)}});
        // A write that fails inside a group leaves no trace; those before it land.
        db->beginWrites();
        db->insert("T", {Value::longInt(1), Value::text("uno")});
        EXPECT_FALSE(pelmora::prueba::errorOf([&] {
                         db->insert("T", {Value::longInt(2), Value::text("cuatro")});
                     }).empty());
        db->insert("T", {Value::longInt(3), Value::text("tre")});
        db->endWrites();
        EXPECT_EQ(firstColumn(*db, "T"), (std::vector<int32_t>{1, 3}));
        // Appends go to the server many at once: thousands land in order; one the server
        // refuses (a rule of another tool's) stops there, the ones before it landed.
        base.ejecuta("ALTER TABLE \"T\" ADD CONSTRAINT sin_cien CHECK (n <> 100)");
        std::vector<int32_t> esperado{1, 3};
        db->beginWrites();
        for (int32_t n = 1000; n < 3500; ++n) {
            db->insert("T", {Value::longInt(n), Value::text("x")});
            esperado.push_back(n);
        }
        EXPECT_EQ(firstColumn(*db, "T"), esperado);
        for (int32_t n = 98; n < 103; ++n) db->insert("T", {Value::longInt(n), Value::text("y")});
        const std::string rechazo = pelmora::prueba::errorOf([&] { db->endWrites(); });
        EXPECT_NE(rechazo.find("sin_cien"), std::string::npos) << rechazo;
        esperado.insert(esperado.end(), {98, 99});
        EXPECT_EQ(firstColumn(*db, "T"), esperado);
        base.ejecuta("DELETE FROM \"T\" WHERE n >= 98; ALTER TABLE \"T\" DROP CONSTRAINT sin_cien");
    }
    // A writer killed inside its group leaves nothing of it.
    const pid_t hijo = fork();
    if (hijo == 0) {
        auto db = openDatabase(base.direccion());
        db->beginWrites();
        for (int n = 10; n < 20; ++n) db->insert("T", {Value::longInt(n), Value::text("x")});
        ::kill(getpid(), SIGKILL);
    }
    int estado = 0;
    waitpid(hijo, &estado, 0);
    ASSERT_TRUE(WIFSIGNALED(estado));
    EXPECT_EQ(firstColumn(*openDatabase(base.direccion()), "T"), (std::vector<int32_t>{1, 3}));
}

// A snapshot reads the database as one moment while another session commits, and
// refuses writes until it ends.
TEST(Postgresql, InstantaneaDeLectura) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    auto db = openDatabase(base.direccion());
    db->createTable(TableSchema{"A", {columna("n", Type::Long)}});
    db->createTable(TableSchema{"B", {columna("n", Type::Long)}});
    db->insert("A", {Value::longInt(1)});
    db->beginSnapshot();
    EXPECT_EQ(firstColumn(*db, "A"), (std::vector<int32_t>{1}));
    base.ejecuta("INSERT INTO \"A\" (n) VALUES (2); INSERT INTO \"B\" (n) VALUES (2)");
    EXPECT_EQ(firstColumn(*db, "A"), (std::vector<int32_t>{1}));
    EXPECT_EQ(firstColumn(*db, "B"), (std::vector<int32_t>{}));
    EXPECT_NE(pelmora::prueba::errorOf([&] { db->insert("A", {Value::longInt(3)}); }), "");
    EXPECT_NE(pelmora::prueba::errorOf([&] { db->beginWrites(); }), "");
    db->endSnapshot();
    EXPECT_EQ(firstColumn(*db, "B"), (std::vector<int32_t>{2}));
}

// Writers that each number their next record "highest + 1" inside a group, at once:
// the table lock makes every one see the others' committed records.
TEST(Postgresql, NumeracionConEscritoresALaVez) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    openDatabase(base.direccion())->createTable(TableSchema{"T", {columna("mslink", Type::Long)}});
    constexpr int kEscritores = 8, kAltas = 25;
    std::vector<pid_t> hijos;
    for (int e = 0; e < kEscritores; ++e) {
        const pid_t hijo = fork();
        if (hijo == 0) {
            int codigo = 0;
            try {
                auto db = openDatabase(base.direccion());
                for (int a = 0; a < kAltas; ++a) {
                    db->beginWrites();
                    int32_t mayor = 0;
                    for (int32_t n : firstColumn(*db, "Select T.* from T ORDER BY mslink;"))
                        mayor = std::max(mayor, n);
                    db->insert("T", {Value::longInt(mayor + 1)});
                    db->endWrites();
                }
            } catch (const std::exception& e) {
                codigo = 1;
            }
            _exit(codigo);
        }
        hijos.push_back(hijo);
    }
    for (pid_t hijo : hijos) {
        int estado = 0;
        waitpid(hijo, &estado, 0);
        EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    }
    std::vector<int32_t> esperado(kEscritores * kAltas);
    for (size_t i = 0; i < esperado.size(); ++i) esperado[i] = static_cast<int32_t>(i + 1);
    EXPECT_EQ(firstColumn(*openDatabase(base.direccion()), "T"), esperado);
}

TEST(Postgresql, DireccionesSinContrasena) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    // A password in the address (the server asks none here) never shows.
    const std::string secreta = base.direccion() + "&password=s3cr3ta";
    auto db = openDatabase(secreta);
    EXPECT_EQ(db->path().find("s3cr3ta"), std::string::npos) << db->path();
    EXPECT_NE(db->path().find(base.nombre()), std::string::npos);
    // A database that does not exist: named, without the password.
    std::string falta = secreta;
    falta.replace(falta.find(base.nombre()), base.nombre().size(), "no_existe");
    const std::string mensaje = pelmora::prueba::errorOf([&] { openDatabase(falta); });
    EXPECT_NE(mensaje.find("no_existe"), std::string::npos) << mensaje;
    EXPECT_EQ(mensaje.find("s3cr3ta"), std::string::npos) << mensaje;
    // A connection file opens the database it names.
    pelmora::prueba::TempDir dir;
    std::ofstream(dir.path("proyecto.pgconn")) << "  " << secreta << "\n";
    openDatabase(base.direccion())->createTable(TableSchema{"Unica", {columna("n", Type::Long)}});
    EXPECT_EQ(openDatabase(dir.path("proyecto.pgconn"))->tableNames(),
              std::vector<std::string>{"Unica"});
    // A server that ends the session mid-group: said, naming the database; what was
    // committed stays, and the next use connects again.
    {
        auto db = openDatabase(base.direccion());
        db->createTable(TableSchema{"Cortada", {columna("n", Type::Long)}});
        db->insert("Cortada", {Value::longInt(1)});
        db->beginWrites();
        db->insert("Cortada", {Value::longInt(2)});
        base.ejecuta("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                     base.nombre() + "' AND pid <> pg_backend_pid()");
        const std::string perdida = pelmora::prueba::errorOf([&] { db->endWrites(); });
        EXPECT_NE(perdida.find("Se ha perdido la conexión"), std::string::npos) << perdida;
        EXPECT_NE(perdida.find(base.nombre()), std::string::npos) << perdida;
        // The next use connects again.
        EXPECT_EQ(firstColumn(*db, "Cortada"), std::vector<int32_t>{1});
    }
}

// Indexes: the shared checks; names that the server would cut at 63 bytes (its
// index names shared by all tables) read back whole; and the database as psql
// sees it: the primary key a constraint of the server's, a descending index, and
// a duplicate key refused by the server itself.
TEST(Postgresql, IndicesIdaYVuelta) {
    REQUIERE_SERVIDOR();
    BdDServidor base;
    auto db = openDatabase(base.direccion());
    pelmora::prueba::checkIndexes(*db);
    // Other tools' indexes: on an expression or on some rows, left out; a name
    // without a comment, as it is.
    base.ejecuta(
        "CREATE INDEX expresion ON \"Clases\" (lower(nombre));"
        "CREATE INDEX parcial ON \"Clases\" (nombre) WHERE clase > 0;"
        "CREATE INDEX llana ON \"Clases\" (nombre DESC)");
    std::vector<std::string> read;
    for (const Index& index : db->indexes("clases"))
        read.push_back(pelmora::prueba::described(index));
    EXPECT_EQ(read, (std::vector<std::string>{"PrimaryKey: clase (única) (principal)",
                                              "llana: nombre DESC"}));

    const std::string table = "Términos municipales de la provincia de Ávila";
    const std::string largo = "Índice por municipio, número y superficie catastral ";
    db->createTable({table, {columna("municipio", Type::Text, 40), columna("número", Type::Long)}},
                    {{largo + "A", {{"municipio"}}, false, false},
                     {largo + "B", {{"municipio"}, {"número", true}}, true, false},
                     {"PrimaryKey", {{"número"}}, true, true}});
    read.clear();
    for (const Index& index : db->indexes(table)) read.push_back(pelmora::prueba::described(index));
    EXPECT_EQ(read, (std::vector<std::string>{"PrimaryKey: número (única) (principal)",
                                              largo + "A: municipio",
                                              largo + "B: municipio, número DESC (única)"}));

    const auto stored = psqlAnswers(base,
                                    "SELECT count(*), max(octet_length(indexname)) FROM pg_indexes "
                                    "WHERE tablename = '" +
                                        table + "'");
    if (!stored) GTEST_SKIP() << "sin psql";
    EXPECT_EQ(stored->salida.toStdString(), "4|63\n");  // with the hidden ordinal's own
    const auto parcelas = psqlAnswers(
        base,
        "SELECT conname || '|' || obj_description(conindid, 'pg_class') FROM pg_constraint "
        "WHERE contype = 'p' AND conrelid = '\"Parcelas\"'::regclass "
        "UNION ALL SELECT indexdef FROM pg_indexes WHERE indexname = 'Parcelas.Alta'");
    EXPECT_EQ(parcelas->salida.toStdString(),
              "Parcelas.PrimaryKey|PrimaryKey\n"
              "CREATE INDEX \"Parcelas.Alta\" ON public.\"Parcelas\" USING btree (alta DESC, "
              "superficie)\n");
    const auto duplicate = psqlAnswers(base,
                                       "INSERT INTO \"Parcelas\" (municipio, numero, \"código\") "
                                       "VALUES ('Soria', 1, 99)");
    EXPECT_NE(duplicate->codigo, 0);
    EXPECT_TRUE(duplicate->errores.contains("Parcelas.PrimaryKey"))
        << duplicate->errores.toStdString();
}
