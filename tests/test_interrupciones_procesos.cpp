// The three runs killed at points spread over every change they make to a
// sheet's files (SQLite and Access sheets written by pelmora-hoja). After a
// kill, the BIN file is as it was or fully adapted, never in between; the files
// are as before the run or as a clean run leaves them once the same run is run
// again. Control rows and dates tell when a run was made and are left out of
// the comparison; a repeated run adds its control row again.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <filesystem>
#include <fstream>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"
#include "tests/support/jet_oracles.h"

using namespace pelmora::prueba;
namespace fs = std::filesystem;
namespace engine = pelmora::engine;

namespace {

constexpr long kPuntosPorProceso = 12;
const char* const kProcesos[] = {"correlate", "fusion", "adaptacion"};

std::string Comillas(const std::string& texto) {
    return "'" + texto + "'";
}

// A database as text: every table's rows in stored order, dates left out, and
// the control rows as a set.
std::string Volcado(const fs::path& ruta) {
    auto bdd = engine::openDatabase(ruta.string());
    std::string texto;
    for (const std::string& tabla : bdd->tableNames()) {
        if (tabla.rfind("MSys", 0) == 0) continue;
        std::vector<std::string> filas;
        auto rs = bdd->openRecordset(tabla, engine::OpenMode::Snapshot);
        for (; !rs->eof(); rs->moveNext()) {
            std::string fila;
            for (int i = 0; i < rs->fieldCount(); ++i) {
                const engine::Value v = rs->field(rs->fieldName(i));
                if (v.type() == engine::Type::DateTime) continue;
                fila += (v.isNull() ? "Null" : v.toText()) + "|";
            }
            filas.push_back(fila);
        }
        if (tabla == "ControlFicherosProcesados") {
            std::set<std::string> unicas(filas.begin(), filas.end());
            filas.assign(unicas.begin(), unicas.end());
        }
        texto += "[" + tabla + "]\n";
        for (const std::string& f : filas) texto += f + "\n";
    }
    return texto;
}

// The sheet's files as they matter to its user; lock files, empty journals and
// a killed Adaptation's copy are left out (the next run clears the last one).
std::map<std::string, std::string> Estado(const fs::path& carpeta) {
    std::map<std::string, std::string> estado;
    for (const auto& entrada : fs::directory_iterator(carpeta)) {
        const fs::path& p = entrada.path();
        const std::string nombre = p.filename().string();
        const std::string ext = p.extension().string();
        if (ext == ".ldb" || nombre.front() == '.' || nombre.ends_with("-journal") ||
            nombre == "esperado.json")
            continue;
        estado[nombre] = ext == ".mdb" || ext == ".db3" ? Volcado(p) : LeeFichero(p);
    }
    return estado;
}

void CopiaCarpeta(const fs::path& de, const fs::path& a) {
    fs::remove_all(a);
    fs::copy(de, a);
}

// `pelmora proceso` on the sheet in `carpeta` (paths of `hoja` moved there),
// killed before its change number `matarEn` (0: never); its exit code.
int Corre(const HojaGenerada& hoja, const char* proceso, const fs::path& carpeta, long matarEn,
          const std::string& cuenta = "") {
    const Entradas e = EntradasDe(hoja, proceso);
    auto en = [&](const std::string& ruta) {
        return (carpeta / fs::path(ruta).filename()).string();
    };
    std::string orden =
        "LD_PRELOAD=" + Comillas(PELMORA_MATAR) + " PELMORA_MATAR_EN=" + std::to_string(matarEn);
    if (!cuenta.empty()) orden += " PELMORA_MATAR_CUENTA=" + Comillas(cuenta);
    orden += " " + Comillas(PELMORA_BIN_DIR "/pelmora") + " " + proceso;
    if (!e.bin.empty()) orden += " --bin " + Comillas(en(e.bin));
    if (!e.particular.empty()) orden += " --particular " + Comillas(en(e.particular));
    if (!e.general.empty()) orden += " --general " + Comillas(en(e.general));
    for (const QJsonValue& m : hoja.esperado[proceso]["mensajes"].toArray())
        if (m["respuesta"].toInt() == 6) orden += " --si";
    const int estado = std::system((orden + " >/dev/null 2>&1").c_str());
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

std::string NombreBin(const HojaGenerada& hoja) {
    return fs::path(EntradasDe(hoja, "adaptacion").bin).filename().string();
}

void MataLosTresProcesos(const QStringList& argumentos, bool mdb) {
    TempDir temporal;
    QStringList args = argumentos;
    if (mdb)
        args << "--plantilla" << QString::fromStdString(PlantillaMdb(temporal.root()).string());
    const HojaGenerada hoja = GeneraHoja(temporal.root() / "hoja", args);
    ASSERT_FALSE(hoja.esperado.isEmpty());
    const fs::path antes = temporal.root() / "antes", prueba = temporal.root() / "prueba";
    CopiaCarpeta(hoja.carpeta, antes);
    for (const char* proceso : kProcesos) {
        SCOPED_TRACE(proceso);
        const auto inicial = Estado(antes);
        CopiaCarpeta(antes, prueba);
        const std::string cuenta = (temporal.root() / "cuenta.txt").string();
        const int salida = Corre(hoja, proceso, prueba, 0, cuenta);
        const auto limpio = Estado(prueba);
        long puntos = 0;
        std::ifstream(cuenta) >> puntos;
        ASSERT_GT(puntos, 0);
        // Points spread over the run, and its last ones, where its files land.
        std::set<long> puntosElegidos;
        for (long en = 1; en <= puntos; en += std::max(1L, puntos / kPuntosPorProceso))
            puntosElegidos.insert(en);
        for (long en = std::max(1L, puntos - 7); en <= puntos; ++en) puntosElegidos.insert(en);
        for (long en : puntosElegidos) {
            CopiaCarpeta(antes, prueba);
            Corre(hoja, proceso, prueba, en);
            const std::string bin = LeeFichero(prueba / NombreBin(hoja));
            EXPECT_TRUE(bin == inicial.at(NombreBin(hoja)) || bin == limpio.at(NombreBin(hoja)))
                << "BIN a medio adaptar, matado en el cambio " << en << " de " << puntos;
            const auto tras = Estado(prueba);
            if (tras == limpio) continue;
            EXPECT_EQ(Corre(hoja, proceso, prueba, 0), salida) << "repetido tras matarlo en " << en;
            EXPECT_TRUE(Estado(prueba) == limpio)
                << "matado en el cambio " << en << " de " << puntos
                << ", repetido no deja los ficheros de una ejecución limpia";
            EXPECT_FALSE(fs::exists(prueba / ("." + NombreBin(hoja) + ".adaptando")));
        }
        Corre(hoja, proceso, antes, 0);  // the next run starts where a clean one leaves
    }
}

}  // namespace

TEST(InterrupcionesProcesos, SQLite) {
    MataLosTresProcesos({"--elementos", "150", "--semilla", "7"}, false);
}

TEST(InterrupcionesProcesos, Access) {
    if (!fs::exists(pelmora::test::fixture("emptyJet4.mdb")))
        GTEST_SKIP() << "sin ficheros de Access";
    MataLosTresProcesos({"--elementos", "150", "--semilla", "7", "--formato", "mdb"}, true);
}
