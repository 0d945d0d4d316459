// The Debian package as a technician gets it: made with CPack from this build,
// unpacked with dpkg -x into a fresh folder, and the installed programs run from
// there, pelmora-hoja writing a sheet and pelmora running Correlate, Fusion and
// Adaptation on it; lintian, where it is installed, finds no error in it.
#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <filesystem>
#include <memory>

#include "tests/support/Ejecucion.h"
#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"

using namespace pelmora::prueba;

namespace {

QStringList lineas(const QString& texto) {
    return texto.split('\n', Qt::SkipEmptyParts);
}

class Paquete : public ::testing::Test {
  protected:
    // One package for every test: made once, unpacked once.
    static void SetUpTestSuite() {
        carpeta_ = std::make_unique<TempDir>();
        const QString destino = QString::fromStdString(carpeta_->path("paquete"));
        Ejecucion cpack = Ejecuta(PELMORA_CPACK, {"--config", PELMORA_CPACK_CONFIG, "-B", destino});
        ASSERT_EQ(cpack.codigo, 0) << cpack.salida.toStdString() << cpack.errores.toStdString();
        const QStringList debs = QDir(destino).entryList({"*.deb"}, QDir::Files);
        ASSERT_EQ(debs.size(), 1) << debs.join(" ").toStdString();
        deb_ = destino + "/" + debs[0];
        Ejecucion x = Ejecuta("dpkg", {"-x", deb_, raiz()});
        ASSERT_EQ(x.codigo, 0) << x.errores.toStdString();
    }
    static void TearDownTestSuite() { carpeta_.reset(); }

    static QString raiz() { return QString::fromStdString(carpeta_->path("raiz")); }
    static QString instalado(const QString& ruta) { return raiz() + "/" + ruta; }
    static QString campo(const QString& nombre) {
        return Ejecuta("dpkg-deb", {"-f", deb_, nombre}).salida.trimmed();
    }

    static std::unique_ptr<TempDir> carpeta_;
    static QString deb_;
};

std::unique_ptr<TempDir> Paquete::carpeta_;
QString Paquete::deb_;

}  // namespace

TEST_F(Paquete, LlevaLosProgramasElMenuElIconoYLosManuales) {
    ASSERT_FALSE(deb_.isEmpty());
    for (const char* ruta :
         {"usr/bin/pelmora", "usr/bin/pelmora-bdd", "usr/bin/pelmora-hoja",
          "usr/share/applications/pelmora.desktop",
          "usr/share/icons/hicolor/scalable/apps/pelmora.svg",
          "usr/share/icons/hicolor/256x256/apps/pelmora.png", "usr/share/man/man1/pelmora.1.gz",
          "usr/share/man/man1/pelmora-bdd.1.gz", "usr/share/man/man1/pelmora-hoja.1.gz",
          "usr/share/doc/pelmora/copyright", "usr/share/doc/pelmora/changelog.gz",
          "usr/share/doc/pelmora/manual.md"})
        EXPECT_TRUE(QFileInfo(instalado(ruta)).isFile()) << ruta;
    EXPECT_EQ(campo("Package"), "pelmora");
    EXPECT_EQ(campo("Version"), PELMORA_VERSION);
    const QString depende = campo("Depends");
    for (const char* paquete : {"libqt6widgets6", "libsqlite3-0", "qt6-translations-l10n"})
        EXPECT_TRUE(depende.contains(paquete)) << depende.toStdString();
    Ejecucion version = Ejecuta(instalado("usr/bin/pelmora"), {"--version"});
    EXPECT_EQ(version.salida, QString::fromUtf8("pelmora (Pelmora) versión " PELMORA_VERSION "\n"));
}

TEST_F(Paquete, LosProgramasInstaladosProcesanUnaHoja) {
    ASSERT_FALSE(deb_.isEmpty());
    TempDir trabajo;
    const HojaGenerada hoja = GeneraHoja(trabajo.root() / "hoja", {"--elementos", "300"},
                                         instalado("usr/bin/pelmora-hoja"));
    ASSERT_FALSE(hoja.esperado.isEmpty());
    for (const char* proceso : {"correlate", "fusion", "adaptacion"}) {
        Ejecucion r = Ejecuta(instalado("usr/bin/pelmora"), ArgumentosDe(hoja, proceso));
        EXPECT_EQ(r.codigo, 0) << proceso << "\n" << r.errores.toStdString();
        EXPECT_EQ(lineas(r.salida), LineasEsperadas(hoja, proceso)) << proceso;
        EXPECT_EQ(lineas(r.errores), MensajesEsperados(hoja, proceso)) << proceso;
    }
}

TEST_F(Paquete, LintianNoEncuentraErrores) {
    ASSERT_FALSE(deb_.isEmpty());
    if (QStandardPaths::findExecutable("lintian").isEmpty())
        GTEST_SKIP() << "lintian no está instalado (scripts/setup lo instala)";
    Ejecucion r = Ejecuta("lintian", {"--fail-on", "error", deb_});
    EXPECT_EQ(r.codigo, 0) << r.salida.toStdString() << r.errores.toStdString();
}
