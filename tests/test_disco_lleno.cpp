// A full disk when a run starts writing: the message says the disk is full and
// names the database, on either backend and in either SQLite journal mode (in
// write-ahead mode even reading needs room, for the log's shared index), and the
// database is left as it was. The disk is a small tmpfs filled to its last
// block, mounted in a mount namespace of the test's own, which needs root: the
// test is skipped where none can be made.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>

#include "db/engine/Database.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/Ejecucion.h"
#include "tests/support/HojaPrueba.h"
#include "tests/support/TempDir.h"

namespace pelmora::prueba {
namespace {

namespace fs = std::filesystem;

struct Variante {
    const char* nombre;
    const char* extension;
    bool wal;
};

// Copies the sheet onto a tmpfs, fills it, runs Correlate on it and copies the
// database back out to $FUERA; prints "sin montaje" when no tmpfs can be mounted.
const char* const kGuion = R"(
mount -t tmpfs -o size=2m tmpfs "$DISCO" 2>/dev/null || { echo sin montaje; exit 0; }
cp "$HOJA"/* "$DISCO"/
dd if=/dev/zero of="$DISCO/relleno" bs=4k 2>/dev/null
"$PELMORA" correlate --bin "$DISCO/H1.bin" --particular "$DISCO/$BDD"
echo "salida $?"
cp "$DISCO/$BDD" "$FUERA"/
)";

class DiscoLleno : public ::testing::TestWithParam<Variante> {
  protected:
    // The sheet in hoja/: H1 with its catalog, one table and a BIN file reaching it.
    void Hoja(const std::string& bdd) {
        fs::create_directories(carpeta.root() / "hoja");
        const std::string ruta = carpeta.path("hoja/" + bdd);
        std::shared_ptr<engine::Database> hoja;
        if (GetParam().extension == std::string(".mdb")) {
            copyWritable(fs::path(PELMORA_FIXTURES) / "empty.mdb", ruta);
            hoja = engine::openDatabase(ruta);
        } else {
            hoja = engine::createSqliteDatabase(ruta);
        }
        CreaHoja(*hoja, {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A"}}}});
        hoja.reset();
        if (GetParam().wal) ModoWal(ruta);
        BinPrueba bin;
        bin.Elemento("C=", "101", 1, {{10, 1}});
        bin.Escribe(carpeta.path("hoja/H1.bin"));
    }
    static void ModoWal(const std::string& ruta) {
        sqlite3* db = nullptr;
        sqlite3_open(ruta.c_str(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    TempDir carpeta;
};

TEST_P(DiscoLleno, ElMensajeDiceQueElDiscoEstaLlenoYLaBdDQuedaComoEstaba) {
    const std::string bdd = std::string("H1") + GetParam().extension;
    if (GetParam().extension == std::string(".mdb") &&
        !fs::exists(fs::path(PELMORA_FIXTURES) / "empty.mdb"))
        GTEST_SKIP() << "Sin la base de datos de Access vacía de los ficheros de prueba";
    Hoja(bdd);
    const std::string disco = carpeta.path("disco");
    fs::create_directories(disco);
    fs::create_directories(carpeta.path("fuera"));
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("DISCO", QString::fromStdString(disco));
    entorno.insert("HOJA", QString::fromStdString(carpeta.path("hoja")));
    entorno.insert("FUERA", QString::fromStdString(carpeta.path("fuera")));
    entorno.insert("BDD", QString::fromStdString(bdd));
    entorno.insert("PELMORA", pelmora::prueba::ProgramaPelmora());
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.start("unshare", {"-m", "sh", "-c", kGuion});
    ASSERT_TRUE(p.waitForFinished(60000));
    const std::string salida = p.readAllStandardOutput().toStdString();
    const std::string errores = p.readAllStandardError().toStdString();
    if (salida.find("salida") == std::string::npos)
        GTEST_SKIP() << "No se puede montar un disco pequeño aquí: " << salida << errores;
    EXPECT_NE(salida.find("salida 1"), std::string::npos) << salida;
    EXPECT_NE(errores.find("espacio en el disco"), std::string::npos) << errores;
    EXPECT_NE(errores.find("«" + disco + "/" + bdd + "»"), std::string::npos) << errores;
    EXPECT_EQ(LeeFichero(carpeta.path("fuera/" + bdd)), LeeFichero(carpeta.path("hoja/" + bdd)));
}

INSTANTIATE_TEST_SUITE_P(Motores, DiscoLleno,
                         ::testing::Values(Variante{"SQLite", ".sqlite", false},
                                           Variante{"SQLiteWal", ".sqlite", true},
                                           Variante{"Jet", ".mdb", false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

}  // namespace
}  // namespace pelmora::prueba
