// End to end on the command line: the real program runs Correlate, Fusion and
// Adaptation in this order on sheets written by pelmora-hoja, and every output
// line, message, exit code and effect on the files is compared with esperado.json.
// The Access variant also has pelmora-bdd check both databases and mdbtools read
// the log rows, the marks and the merged records back.
#include <gtest/gtest.h>

#include <QProcess>

#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"

using namespace pelmora::prueba;

namespace {

struct Variante {
    const char* nombre;
    bool mdb;
    QStringList argumentos;  // for pelmora-hoja
};

const Variante kVariantes[] = {
    {"SQLite", false, {"--elementos", "400", "--semilla", "7"}},
    {"SQLiteTresAtributos", false, {"--elementos", "250", "--atributos", "3", "--tablas", "6"}},
    {"SQLiteSinNoAsignar", false, {"--elementos", "150", "--semilla", "11", "--sin-noasignar"}},
    {"SQLiteSinProblemas", false, {"--elementos", "150", "--semilla", "5", "--sin-problemas"}},
    {"Mdb", true, {"--elementos", "300", "--semilla", "7", "--formato", "mdb"}},
};

QStringList Lineas(const QByteArray& salida) {
    QStringList lineas = QString::fromUtf8(salida).split('\n');
    if (!lineas.isEmpty() && lineas.back().isEmpty()) lineas.removeLast();
    return lineas;
}

// Runs `pelmora proceso ...` on the inputs esperado.json gives it.
void Corre(const HojaGenerada& hoja, const char* proceso) {
    QProcess p;
    p.start(PELMORA_BIN_DIR "/pelmora", ArgumentosDe(hoja, proceso));
    ASSERT_TRUE(p.waitForFinished(300000));
    const QStringList errores = Lineas(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << proceso << "\n" << errores.join("\n").toStdString();
    EXPECT_EQ(Lineas(p.readAllStandardOutput()), LineasEsperadas(hoja, proceso)) << proceso;
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
                   << QString::fromStdString(PlantillaMdb(temporal.root()).string());
    const HojaGenerada hoja = GeneraHoja(temporal.root(), argumentos);
    ASSERT_FALSE(hoja.esperado.isEmpty());
    for (const char* proceso : {"correlate", "fusion", "adaptacion"}) {
        SCOPED_TRACE(proceso);
        const Entradas entradas = EntradasDe(hoja, proceso);
        const Antes antes = Fotografia(hoja, proceso, entradas);
        Corre(hoja, proceso);
        CompruebaEfectos(hoja, proceso, entradas, antes, LeeConMotor);
        if (!v.mdb) continue;
        CompruebaEfectos(hoja, proceso, entradas, antes, LeeConMdbtools);
        CompruebaMdb(hoja.fichero("particular"));
        CompruebaMdb(hoja.fichero("general"));
    }
}

INSTANTIATE_TEST_SUITE_P(Hojas, ExtremoLinea, ::testing::ValuesIn(kVariantes),
                         [](const auto& info) { return std::string(info.param.nombre); });
