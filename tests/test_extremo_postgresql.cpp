// The runs with the General database on the suite's PostgreSQL server, as
// programs: eight Fusions of different sheets at once give the records the same
// merges give one after another, and a batch gives the BIN files and General
// records it gives with the General database in a file.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <map>
#include <set>

#include "tests/support/Ejecucion.h"
#include "tests/support/ServidorPrueba.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using pelmora::prueba::BdDServidor;
using pelmora::prueba::Ejecucion;

namespace {

const QString kPelmora = pelmora::prueba::ProgramaPelmora();
const QString kBdd = PELMORA_BIN_DIR "/pelmora-bdd";

QString q(const fs::path& ruta) {
    return QString::fromStdString(ruta.string());
}

Ejecucion ejecuta(const QString& programa, const QStringList& argumentos) {
    Ejecucion r = pelmora::prueba::Ejecuta(programa, argumentos);
    EXPECT_EQ(r.codigo, 0) << argumentos.join(' ').toStdString() << "\n" << r.errores.toStdString();
    return r;
}

// A delivery of eight clean sheets; their names, in order.
std::vector<std::string> entrega(const fs::path& carpeta) {
    ejecuta(PELMORA_BIN_DIR "/pelmora-hoja",
            {"--salida", q(carpeta), "--hojas", "8", "--elementos", "300", "--sin-problemas"});
    std::vector<std::string> hojas;
    for (int i = 1; i <= 8; ++i) hojas.push_back("hoja00" + std::to_string(i));
    return hojas;
}

// A table's records as JSON lines: their merge keys (Tcomplet with Clasific, or
// with Tmapa in 199ETIQUETAS) as a sorted list, and their mslinks apart. Which
// of two sheets' equivalent records a merge adds depends on the merges' order.
struct Registros {
    std::multiset<std::string> sinNumero;  // the merge keys
    std::set<int> numeros;
    std::string tal;  // the dump as it stands
    bool operator==(const Registros&) const = default;
};

Registros registros(const QString& base, const QString& tabla) {
    Registros r;
    r.tal = ejecuta(kBdd, {"dump", base, tabla}).salida.toStdString();
    const QString segunda = tabla == "199ETIQUETAS" ? "tmapa" : "clasific";
    for (const QString& linea : QString::fromStdString(r.tal).split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(linea.toUtf8()).object();
        QJsonObject clave;
        for (const QString& campo : o.keys()) {
            if (campo.compare("mslink", Qt::CaseInsensitive) == 0)
                r.numeros.insert(o[campo].toInt());
            if (campo.compare("tcomplet", Qt::CaseInsensitive) == 0 ||
                campo.compare(segunda, Qt::CaseInsensitive) == 0)
                clave[campo.toLower()] = o[campo];
        }
        r.sinNumero.insert(QJsonDocument(clave).toJson(QJsonDocument::Compact).toStdString());
    }
    return r;
}

QStringList tablas(const QString& base) {
    return ejecuta(kBdd, {"tables", base}).salida.split('\n', Qt::SkipEmptyParts);
}

// A delivery of eight sheets in `fichero`, and its copy in `servidor` whose General
// database is also copied to a fresh database of the suite's server.
class ExtremoPostgresql : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!BdDServidor::hay()) GTEST_SKIP() << "sin el servidor PostgreSQL de las pruebas";
        hojas = entrega(fichero);
        fs::copy(fichero, servidor);
        general = std::make_unique<BdDServidor>();
        g = QString::fromStdString(general->direccion());
        ejecuta(kBdd, {"copy", q(servidor / "hoja_general.db3"), g});
    }

    pelmora::prueba::TempDir tmp;
    const fs::path fichero = tmp.root() / "fichero", servidor = tmp.root() / "servidor";
    std::vector<std::string> hojas;
    std::unique_ptr<BdDServidor> general;
    QString g;  // its address
};

}  // namespace

TEST_F(ExtremoPostgresql, OchoFusionesALaVezComoUnaTrasOtra) {
    const fs::path& secuencial = fichero;
    for (const fs::path& carpeta : {secuencial, servidor})
        for (const std::string& h : hojas)
            ejecuta(kPelmora, {"correlate", "--bin", q(carpeta / (h + ".bin")), "--particular",
                               q(carpeta / (h + ".db3")), "--si", "--sin-progreso"});
    for (const std::string& h : hojas)
        ejecuta(kPelmora, {"fusion", "--general", q(secuencial / "hoja_general.db3"),
                           "--particular", q(secuencial / (h + ".db3")), "--sin-progreso"});
    std::vector<std::unique_ptr<QProcess>> fusiones;
    for (const std::string& h : hojas) {
        fusiones.push_back(std::make_unique<QProcess>());
        fusiones.back()->start(kPelmora, {"fusion", "--general", g, "--particular",
                                          q(servidor / (h + ".db3")), "--sin-progreso"});
    }
    for (auto& f : fusiones) {
        ASSERT_TRUE(f->waitForFinished(300000));
        EXPECT_EQ(f->exitCode(), 0) << f->readAllStandardError().toStdString();
    }
    // Each table took the merges in some order: the same records, numbered from
    // the same first free number without a gap or a repeat.
    const QStringList nombres = tablas(q(secuencial / "hoja_general.db3"));
    EXPECT_EQ(tablas(g), nombres);
    for (const QString& t : nombres) {
        const Registros esperados = registros(q(secuencial / "hoja_general.db3"), t);
        const Registros hechos = registros(g, t);
        EXPECT_EQ(hechos.sinNumero, esperados.sinNumero) << t.toStdString();
        EXPECT_EQ(hechos.numeros, esperados.numeros) << t.toStdString();
    }
}

TEST_F(ExtremoPostgresql, UnLoteComoConLaGeneralEnUnFichero) {
    fs::remove(servidor / "hoja_general.db3");
    ejecuta(kPelmora, {"lote", "--general", q(fichero / "hoja_general.db3"), "--carpeta",
                       q(fichero), "--silencio"});
    ejecuta(kPelmora,
            {"lote", "--general", g + "&password=nunca", "--carpeta", q(servidor), "--silencio"});
    for (const std::string& h : hojas) {
        const auto bytes = [](const fs::path& p) {
            QFile f(q(p));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        };
        EXPECT_EQ(bytes(servidor / (h + ".bin")), bytes(fichero / (h + ".bin"))) << h;
        // The control rows name the server without the password.
        const std::string control =
            ejecuta(kBdd, {"dump", q(servidor / (h + ".db3")), "ControlFicherosProcesados"})
                .salida.toStdString();
        EXPECT_NE(control.find(general->nombre()), std::string::npos) << control;
        EXPECT_EQ(control.find("nunca"), std::string::npos) << control;
    }
    // A Particular database travels with its sheet: one on the server is refused.
    const Ejecucion servida =
        pelmora::prueba::Ejecuta(kPelmora, {"correlate", "--bin", q(servidor / (hojas[0] + ".bin")),
                                            "--particular", g, "--si", "--sin-progreso"});
    EXPECT_NE(servida.codigo, 0);
    EXPECT_TRUE(servida.errores.contains("ha de ser un fichero de Access o de SQLite"))
        << servida.salida.toStdString() << servida.errores.toStdString();
    for (const QString& t : tablas(q(fichero / "hoja_general.db3")))
        EXPECT_EQ(registros(g, t).tal, registros(q(fichero / "hoja_general.db3"), t).tal)
            << t.toStdString();
}

// An Access database copied up to the server and back to an Access file keeps its
// primary keys and indexes (descending columns, unique ones), and its rows in order.
TEST(CopiaPostgresql, IndicesDeAccessAlServidorYDeVuelta) {
    if (!BdDServidor::hay()) GTEST_SKIP() << "sin el servidor PostgreSQL de las pruebas";
    const fs::path fixtures = PELMORA_FIXTURES;
    if (!fs::exists(fixtures / "emptyJet4.mdb")) GTEST_SKIP() << "sin ficheros de Access de prueba";
    for (const char* origen : {"indexTestV2000.mdb", "compIndexTestV2000.mdb"}) {
        SCOPED_TRACE(origen);
        pelmora::prueba::TempDir tmp;
        const QString access = q(fixtures / origen);
        const QString vuelta = QString::fromStdString(
            tmp.writableCopy((fixtures / "emptyJet4.mdb").string(), "vuelta.mdb"));
        BdDServidor servidor;
        const QString s = QString::fromStdString(servidor.direccion());
        ejecuta(kBdd, {"copy", access, s});
        ejecuta(kBdd, {"copy", s, vuelta});
        ejecuta(kBdd, {"check", vuelta});
        for (const QString& tabla : tablas(access)) {
            const QString indices = ejecuta(kBdd, {"indexes", access, tabla}).salida;
            EXPECT_FALSE(indices.isEmpty());
            EXPECT_EQ(ejecuta(kBdd, {"indexes", s, tabla}).salida, indices);
            EXPECT_EQ(ejecuta(kBdd, {"indexes", vuelta, tabla}).salida, indices);
            EXPECT_EQ(ejecuta(kBdd, {"dump", vuelta, tabla}).salida,
                      ejecuta(kBdd, {"dump", access, tabla}).salida);
        }
    }
}
