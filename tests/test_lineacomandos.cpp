// The runs without windows: the command-line port's output (labels on stdout,
// "MENSAJE: ..." on stderr), the sub-commands' options and the exit codes, both
// through the library and through the real program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <filesystem>
#include <sstream>

#include "core/FinPrograma.h"
#include "db/engine/Database.h"
#include "linea/LineaComandos.h"
#include "linea/PantallaLinea.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/Ejecucion.h"
#include "tests/support/TempDir.h"

using namespace pelmora;

namespace {

std::string absoluta(const std::string& ruta) {
    return std::filesystem::absolute(ruta).lexically_normal().string();
}

std::string errorDeUso(const std::vector<std::string>& argumentos) {
    try {
        leeOrden(argumentos);
    } catch (const ErrorUso& e) {
        return e.what();
    }
    return "";
}

struct Salidas {
    std::ostringstream salida, errores;
    int codigo = -1;
};

Salidas ejecuta(const std::vector<std::string>& argumentos, const Procesos& procesos) {
    Salidas s;
    s.codigo = lineaComandos(argumentos, procesos, s.salida, s.errores);
    return s;
}

}  // namespace

TEST(LineaComandos, AvanceEnUnaLineaDeErroresQueSeReescribe) {
    std::ostringstream salida, errores;
    PantallaLinea con(salida, errores, false, true);
    con.progreso("Recorriendo «H1.bin»", 0, 400);
    con.progreso("Recorriendo «H1.bin»", 3, 400);  // still 0 %: nothing new
    con.progreso("Recorriendo «H1.bin»", 168, 400);
    con.etiqueta("Label5", "Chequeado Fichero BIN");
    // A message ends the line first; the next report starts a line of its own.
    con.mensaje("No existe la tabla NoAsignar", 0, "");
    con.progreso("Recorriendo «H1.bin»", 400, 400);
    con.progreso("Fusionando «H1.mdb»", 2, 2);
    EXPECT_EQ(salida.str(), "Chequeado Fichero BIN\n");
    EXPECT_EQ(errores.str(),
              "\rRecorriendo «H1.bin»: 0 %\rRecorriendo «H1.bin»: 42 %\n"
              "MENSAJE: No existe la tabla NoAsignar\n"
              "\rRecorriendo «H1.bin»: 100 %\n"
              "\rFusionando «H1.mdb»: 100 %\n");

    std::ostringstream salidaSin, erroresSin;
    PantallaLinea sin(salidaSin, erroresSin, false);
    sin.progreso("Recorriendo «H1.bin»", 200, 400);
    sin.progreso("Recorriendo «H1.bin»", 400, 400);
    EXPECT_EQ(salidaSin.str() + erroresSin.str(), "");
}

TEST(LineaComandos, Opciones) {
    Orden c = leeOrden({"correlate", "--bin", "h/H1.bin", "--particular=h/H1.mdb", "--si"});
    EXPECT_EQ(c.opcion, Opcion::Correlate);
    EXPECT_EQ(c.bin, absoluta("h/H1.bin"));
    EXPECT_EQ(c.particular, absoluta("h/H1.mdb"));
    EXPECT_EQ(c.general, "");
    EXPECT_TRUE(c.si);

    Orden f = leeOrden({"fusion", "--particular", "/h/H1.mdb", "--general", "/p/G.mdb"});
    EXPECT_EQ(f.opcion, Opcion::Fusion);
    EXPECT_EQ(f.general, "/p/G.mdb");
    EXPECT_EQ(f.bin, "");
    EXPECT_FALSE(f.si);

    Orden a = leeOrden(
        {"adaptacion", "--general", "/p/G.mdb", "--particular", "/h/H1.mdb", "--bin", "/h/H1.bin"});
    EXPECT_EQ(a.opcion, Opcion::Adaptacion);

    // Progress: by default only on a terminal; the last of the two options decides.
    const std::vector<std::string> fusion = {"fusion", "--general", "g", "--particular", "p"};
    auto con = [&](std::vector<std::string> opciones, bool terminal) {
        opciones.insert(opciones.begin(), fusion.begin(), fusion.end());
        return leeOrden(opciones, terminal).progreso;
    };
    EXPECT_FALSE(con({}, false));
    EXPECT_TRUE(con({}, true));
    EXPECT_TRUE(con({"--progreso"}, false));
    EXPECT_FALSE(con({"--sin-progreso"}, true));
    EXPECT_FALSE(con({"--progreso", "--sin-progreso"}, false));
    EXPECT_TRUE(leeOrden({"correlate", "--progreso", "--bin", "b", "--particular", "p"}).progreso);

    const std::vector<std::pair<std::vector<std::string>, std::string>> errores = {
        {{"corre"}, "orden desconocida «corre»"},
        {{"correlate", "--bin", "x.bin"}, "falta la opción --particular"},
        {{"correlate", "--particular", "x.mdb", "--bin"}, "falta el valor de la opción --bin"},
        {{"correlate", "--bin", "a", "--bin", "b", "--particular", "p"},
         "la opción --bin aparece más de una vez"},
        {{"correlate", "--bin=", "--particular", "p"},
         "la opción --bin necesita un nombre de fichero"},
        {{"fusion", "--general", "g", "--particular", "p", "--si"},
         "«--si» no es una opción de «fusion»"},
        {{"adaptacion", "--general", "g", "--particular", "p", "--bin", "b", "x"},
         "«x» no es una opción de «adaptacion»"},
        {{"fusion", "--general", "g", "--particular", "p", "--tabla", "t"},
         "«--tabla» no es una opción de «fusion»"}};
    for (const auto& [argumentos, error] : errores) EXPECT_EQ(errorDeUso(argumentos), error);
}

TEST(LineaComandos, CodigosDeSalida) {
    std::vector<std::string> corridas;
    std::function<bool(Estado&)> comportamiento;
    auto proceso = [&](Estado& e) {
        corridas.push_back(std::string(TipoProcesoDe(*e.TipoProceso)) + " " + e.NombreFicheroBin);
        return comportamiento(e);
    };
    Procesos procesos{proceso, proceso, proceso};
    const std::vector<std::string> correlate = {"correlate", "--bin", "/h/H1.bin", "--particular",
                                                "/h/H1.mdb"};

    comportamiento = [](Estado& e) {
        e.pantalla.etiqueta("Label5", "Chequeado Fichero BIN");
        e.pantalla.etiqueta("Label6", "PROCESO DE CORRELATE TERMINADO");
        return true;
    };
    Salidas fin = ejecuta(correlate, procesos);
    EXPECT_EQ(fin.codigo, salida::Terminado);
    EXPECT_EQ(fin.salida.str(), "Chequeado Fichero BIN\nPROCESO DE CORRELATE TERMINADO\n");
    EXPECT_EQ(fin.errores.str(), "");
    EXPECT_EQ(corridas, std::vector<std::string>{"CORRELATE /h/H1.bin"});

    comportamiento = [](Estado& e) {
        e.pantalla.mensaje("Las tablas son distintas", 0, "");
        return false;
    };
    Salidas detenido =
        ejecuta({"fusion", "--general", "/p/G.mdb", "--particular", "/h/H1.mdb"}, procesos);
    EXPECT_EQ(detenido.codigo, salida::Detenido);
    EXPECT_EQ(detenido.errores.str(), "MENSAJE: Las tablas son distintas\n");
    ASSERT_FALSE(corridas.empty());
    EXPECT_EQ(corridas.back(), "FUSION ");

    comportamiento = [](Estado&) -> bool { throw FinPrograma{"Fichero Corrupto", 16, true}; };
    Salidas fatal = ejecuta(correlate, procesos);
    EXPECT_EQ(fatal.codigo, salida::Fin);
    EXPECT_EQ(fatal.errores.str(), "MENSAJE: Fichero Corrupto\n");

    // Names that differ: the question on stderr, and without --si the run does not start.
    corridas.clear();
    std::vector<std::string> distintos = {"correlate", "--bin", "/h/H1.bin", "--particular",
                                          "/otra/H1.mdb"};
    Salidas no = ejecuta(distintos, procesos);
    EXPECT_EQ(no.codigo, salida::Detenido);
    EXPECT_EQ(no.errores.str(),
              "MENSAJE: No coinciden los nombres del fichero Vexa y de la BdD Particular\\r¿Desea "
              "continuar?\n");
    EXPECT_TRUE(corridas.empty());
    distintos.push_back("--si");
    comportamiento = [](Estado&) { return true; };
    EXPECT_EQ(ejecuta(distintos, procesos).codigo, salida::Terminado);
    EXPECT_EQ(corridas.size(), 1u);

    Salidas uso = ejecuta({"correlate"}, procesos);
    EXPECT_EQ(uso.codigo, salida::Uso);
    EXPECT_NE(uso.errores.str().find("pelmora: falta la opción --bin"), std::string::npos);
    EXPECT_NE(uso.errores.str().find("Uso:"), std::string::npos);
}

// The real program stops on names that differ (its help and usage errors:
// test_programas.cpp).
TEST(LineaComandos, ElProgramaReal) {
    QProcess p;
    p.start(pelmora::prueba::ProgramaPelmora(),
            {"adaptacion", "--general", "G.mdb", "--particular", "a/H1.mdb", "--bin", "b/H1.bin"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 3);
    const QString errores = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(errores.startsWith("MENSAJE: No coinciden los nombres"));
    EXPECT_TRUE(errores.contains("\\r"));
}

// A FIFO given as BIN file, which nobody writes to: the program refuses it at
// once and ends, the database untouched, instead of waiting on it forever.
TEST(LineaComandos, UnaTuberiaComoFicheroBinNoDetieneElPrograma) {
    pelmora::prueba::TempDir carpeta;
    const std::string bin = carpeta.path("H1.bin"), particular = carpeta.path("H1.sqlite");
    ASSERT_EQ(mkfifo(bin.c_str(), 0644), 0);
    pelmora::engine::createSqliteDatabase(particular);
    const std::string antes = pelmora::prueba::LeeFichero(particular);
    QProcess p;
    p.start(pelmora::prueba::ProgramaPelmora(),
            {"correlate", "--bin", QString::fromStdString(bin), "--particular",
             QString::fromStdString(particular)});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), salida::Fin);
    EXPECT_EQ(p.readAllStandardError().toStdString(),
              "MENSAJE: No se puede usar el fichero BIN «" + bin +
                  "»: es una tubería con nombre (FIFO), no un fichero\n");
    EXPECT_EQ(pelmora::prueba::LeeFichero(particular), antes);
}
