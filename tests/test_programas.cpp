// The three programs as a user meets them first: --help and --version on standard
// output with exit code 0, and a wrong option named on the error output with the
// usage after it, exit code 2.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Ejecucion.h"

namespace {

pelmora::prueba::Ejecucion corre(const QString& programa, const QStringList& argumentos) {
    return pelmora::prueba::Ejecuta(PELMORA_BIN_DIR "/" + programa, argumentos, 30000);
}

const QStringList kProgramas = {"pelmora", "pelmora-bdd", "pelmora-hoja"};

}  // namespace

TEST(Programas, AyudaYVersion) {
    for (const QString& programa : kProgramas) {
        SCOPED_TRACE(programa.toStdString());
        for (const char* ayuda : {"--help", "-h", "--ayuda"}) {
            pelmora::prueba::Ejecucion r = corre(programa, {ayuda});
            EXPECT_EQ(r.codigo, 0);
            EXPECT_TRUE(r.salida.startsWith("Uso:")) << r.salida.toStdString();
            EXPECT_TRUE(r.salida.contains("--version")) << r.salida.toStdString();
            EXPECT_EQ(r.errores, "");
        }
        pelmora::prueba::Ejecucion version = corre(programa, {"--version"});
        EXPECT_EQ(version.codigo, 0);
        EXPECT_EQ(version.salida,
                  programa + QString::fromUtf8(" (Pelmora) versión ") + PELMORA_VERSION "\n");
        EXPECT_EQ(version.errores, "");
    }
    // Right after an order, help is still help; as an option's value it is a value.
    pelmora::prueba::Ejecucion correlate = corre("pelmora", {"correlate", "--help"});
    EXPECT_EQ(correlate.codigo, 0);
    EXPECT_TRUE(correlate.salida.contains("pelmora correlate"));
    EXPECT_EQ(corre("pelmora-bdd", {"dump", "--version"}).codigo, 0);
    pelmora::prueba::Ejecucion valor = corre("pelmora", {"correlate", "--bin", "--help"});
    EXPECT_EQ(valor.codigo, 2);
    EXPECT_TRUE(
        valor.errores.startsWith(QString::fromUtf8("pelmora: falta la opción --particular")));
}

TEST(Programas, ErrorDeUsoNombraLaOpcionYMuestraElUso) {
    const std::vector<std::pair<QString, QStringList>> errores = {
        {"pelmora", {"fusion", "--general", "G.mdb", "--particular", "P.mdb", "--tabla", "T"}},
        {"pelmora-bdd", {"tables", "x.db3", "--tabla"}},
        {"pelmora-hoja", {"--salida", "x", "--tabla"}},
    };
    for (const auto& [programa, argumentos] : errores) {
        SCOPED_TRACE(programa.toStdString());
        pelmora::prueba::Ejecucion r = corre(programa, argumentos);
        EXPECT_EQ(r.codigo, 2);
        EXPECT_EQ(r.salida, "");
        EXPECT_TRUE(r.errores.startsWith(programa + ": ")) << r.errores.toStdString();
        EXPECT_TRUE(r.errores.section('\n', 0, 0).contains("--tabla")) << r.errores.toStdString();
        EXPECT_TRUE(r.errores.endsWith("\n\n" + corre(programa, {"--help"}).salida))
            << r.errores.toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists("x"));
}
