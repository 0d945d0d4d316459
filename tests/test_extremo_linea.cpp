// End to end on the command line: the real program runs Correlate, Fusion and
// Adaptation in this order on sheets written by pelmora-hoja, and every output
// line, message, exit code and effect on the files is compared with esperado.json;
// with --progreso, the progress line on the error output is all that is added.
// The Access variants (an Access 2000 template, and an Access 97 one whose own
// tables stay beside the sheet's) also have pelmora-bdd check both databases and
// mdbtools read the log rows, the marks and the merged records back.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "tests/support/Ejecucion.h"
#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"

using namespace pelmora::prueba;

namespace {

struct Variante {
    const char* nombre;
    bool mdb;
    QStringList argumentos;               // for pelmora-hoja
    bool progreso;                        // run with --progreso
    const char* plantilla = "empty.mdb";  // the Access file the databases start from
};

const Variante kVariantes[] = {
    {"SQLite", false, {"--elementos", "400", "--semilla", "7"}, false},
    {"SQLiteConProgreso", false, {"--elementos", "2000", "--semilla", "9"}, true},
    {"SQLiteTresAtributos",
     false,
     {"--elementos", "250", "--atributos", "3", "--tablas", "6"},
     false},
    {"SQLiteSinNoAsignar",
     false,
     {"--elementos", "150", "--semilla", "11", "--sin-noasignar"},
     false},
    {"SQLiteSinProblemas",
     false,
     {"--elementos", "150", "--semilla", "5", "--sin-problemas"},
     false},
    {"Mdb", true, {"--elementos", "300", "--semilla", "7", "--formato", "mdb"}, false},
    {"Mdb97",
     true,
     {"--elementos", "300", "--semilla", "8", "--formato", "mdb"},
     false,
     "testV1997.mdb"},
    {"Accdb2007",
     true,
     {"--elementos", "300", "--semilla", "9", "--formato", "accdb"},
     false,
     "empty2007.accdb"},
    {"Accdb2019",
     true,
     {"--elementos", "200", "--semilla", "10", "--formato", "accdb"},
     false,
     "empty2019.accdb"},
};

QStringList Lineas(const QByteArray& salida) {
    QStringList lineas = QString::fromUtf8(salida).split('\n');
    if (!lineas.isEmpty() && lineas.back().isEmpty()) lineas.removeLast();
    return lineas;
}

// What a run with --progreso shows of its loop: "Recorriendo «H1.bin»" for a walk,
// "Fusionando «H1.mdb»" for the merge.
QString Tarea(const HojaGenerada& hoja, const char* proceso) {
    const Entradas e = EntradasDe(hoja, proceso);
    const bool fusion = std::string(proceso) == "fusion";
    const std::filesystem::path ruta = fusion ? e.particular : e.bin;
    return QString(fusion ? "Fusionando «%1»" : "Recorriendo «%1»")
        .arg(QString::fromStdString(ruta.filename().string()));
}

// The progress line, which starts with a carriage return and rewrites itself with
// each one, from 0 % to 100 %; the other lines are left in `errores`.
void SeparaAvance(QStringList& errores, const QString& tarea) {
    QStringList avances;
    errores.removeIf([&](const QString& l) {
        if (l.startsWith('\r')) avances << l;
        return l.startsWith('\r');
    });
    ASSERT_EQ(avances.size(), 1) << avances.join("\n").toStdString();
    const QStringList pasos = avances[0].mid(1).split('\r');
    EXPECT_EQ(pasos.front(), tarea + ": 0 %");
    EXPECT_EQ(pasos.back(), tarea + ": 100 %");
}

// Runs `pelmora proceso ...` on the inputs esperado.json gives it. With --progreso
// the standard output is still exactly the window's lines.
void Corre(const HojaGenerada& hoja, const char* proceso, bool progreso) {
    QProcess p;
    QStringList argumentos = ArgumentosDe(hoja, proceso);
    argumentos << (progreso ? "--progreso" : "--sin-progreso");
    p.start(pelmora::prueba::ProgramaPelmora(), argumentos);
    ASSERT_TRUE(p.waitForFinished(300000));
    QStringList errores = Lineas(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << proceso << "\n" << errores.join("\n").toStdString();
    EXPECT_EQ(Lineas(p.readAllStandardOutput()), LineasEsperadas(hoja, proceso)) << proceso;
    if (progreso) SeparaAvance(errores, Tarea(hoja, proceso));
    EXPECT_EQ(errores, MensajesEsperados(hoja, proceso)) << proceso;
}

void CompruebaMdb(const std::string& ruta) {
    QProcess p;
    p.start(PELMORA_BIN_DIR "/pelmora-bdd", {"check", QString::fromStdString(ruta)});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << ruta << "\n"
                               << p.readAllStandardOutput().toStdString()
                               << p.readAllStandardError().toStdString();
}

class ExtremoLinea : public ::testing::TestWithParam<Variante> {};

}  // namespace

TEST_P(ExtremoLinea, LosTresProcesosEnOrden) {
    const Variante& v = GetParam();
    QStringList argumentos = v.argumentos;
    TempDir temporal;
    if (v.mdb)
        argumentos << "--plantilla"
                   << QString::fromStdString(PlantillaMdb(temporal.root(), v.plantilla).string());
    const HojaGenerada hoja = GeneraHoja(temporal.root(), argumentos);
    ASSERT_FALSE(hoja.esperado.isEmpty());
    for (const char* proceso : {"correlate", "fusion", "adaptacion"}) {
        SCOPED_TRACE(proceso);
        const Entradas entradas = EntradasDe(hoja, proceso);
        const Antes antes = Fotografia(hoja, proceso, entradas);
        Corre(hoja, proceso, v.progreso);
        CompruebaEfectos(hoja, proceso, entradas, antes, LeeConMotor);
        if (!v.mdb) continue;
        CompruebaEfectos(hoja, proceso, entradas, antes, LeeConMdbtools);
        CompruebaMdb(hoja.fichero("particular"));
        CompruebaMdb(hoja.fichero("general"));
    }
}

INSTANTIATE_TEST_SUITE_P(Hojas, ExtremoLinea, ::testing::ValuesIn(kVariantes),
                         [](const auto& info) { return std::string(info.param.nombre); });
