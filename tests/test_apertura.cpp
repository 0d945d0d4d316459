// Opening a database file: a path that is not a regular file is refused at once
// with a message naming it, without ever waiting on it; one file reached by
// several spellings of its path is opened once.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/engine/Database.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tuberia.h"

using namespace pelmora::engine;
using pelmora::prueba::TempDir;
using pelmora::prueba::Tuberia;
namespace fs = std::filesystem;

namespace {

std::string errorOf(const std::string& path) {
    return pelmora::prueba::errorOf([&] { openDatabase(path); });
}

TEST(Apertura, LoQueNoEsUnFicheroNormalSeRechazaSinAbrirlo) {
    TempDir dir;
    const std::string fifo = dir.path("tuberia.mdb");
    Tuberia tuberia(fifo);
    EXPECT_EQ(errorOf(fifo), "«" + fifo +
                                 "» es una tubería con nombre (FIFO), no un fichero de base de "
                                 "datos");
    EXPECT_EQ(errorOf("/dev/null"),
              "«/dev/null» es un dispositivo, no un fichero de base de datos");
    EXPECT_EQ(errorOf(dir.root().string()),
              "«" + dir.root().string() + "» es una carpeta, no un fichero de base de datos");
    EXPECT_EQ(errorOf(dir.path("falta.db")),
              "No se encuentra el fichero de base de datos «" + dir.path("falta.db") + "»");
    const std::string enlace = dir.path("enlace.db");
    fs::create_symlink(fifo, enlace);
    EXPECT_NE(errorOf(enlace).find("es una tubería con nombre (FIFO)"), std::string::npos);
}

TEST(Apertura, UnFicheroConVariasRutasSeAbreUnaVez) {
    TempDir dir;
    const std::string ruta = dir.path("datos.db");
    auto creada = createSqliteDatabase(ruta);
    fs::create_directory(dir.path("sub"));
    fs::create_hard_link(ruta, dir.path("duro.db"));
    fs::create_symlink(ruta, dir.path("blando.db"));
    for (const std::string& otra : {ruta, dir.path("duro.db"), dir.path("blando.db"),
                                    dir.path("sub/../datos.db"), dir.path("./datos.db")}) {
        auto abierta = openDatabase(otra);
        EXPECT_EQ(abierta->path(), ruta) << otra << ": la base ya abierta, con su ruta";
    }
    // Once no handle holds it, the next open opens the file anew.
    creada.reset();
    EXPECT_EQ(openDatabase(dir.path("duro.db"))->path(), dir.path("duro.db"));
}

}  // namespace
