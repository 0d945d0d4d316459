// How long the merge takes on a large sheet: N marked Particular records, one
// in two new, into a General table of M records, on SQLite files. The tables
// are made through the engine and filled in one transaction with libsqlite3.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "core/PantallaGuion.h"
#include "db/Fusion.h"

namespace {

using namespace pelmora;
namespace fs = std::filesystem;

void CreaVias(const fs::path& ruta, bool conTcorrelate) {
    auto bdd = engine::createSqliteDatabase(ruta);
    engine::TableDef def = bdd->createTableDef("Vias");
    const std::pair<const char*, engine::Type> columnas[] = {
        {"mslink", engine::Type::Long},   {"clasific", engine::Type::Long},
        {"tmapa", engine::Type::Text},    {"tcomplet", engine::Type::Text},
        {"tfeature", engine::Type::Long}, {"Tcorrelate", engine::Type::Boolean}};
    for (const auto& [nombre, tipo] : columnas)
        if (conTcorrelate || tipo != engine::Type::Boolean)
            def.appendField(def.createField(nombre, tipo));
    bdd->appendTableDef(def);
}

void Ejecuta(sqlite3* bdd, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(bdd, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string texto = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(texto);
    }
}

// Rows i = 0..n-1 with key "Calle <i * paso>" and its number's class. General
// records are stored out of mslink order, and all but a thousand are numbered from
// 100000 up, so that the new records still find numbers below 60000.
void Llena(const fs::path& ruta, int n, int paso, bool particular) {
    sqlite3* bdd = nullptr;
    sqlite3_open(ruta.c_str(), &bdd);
    Ejecuta(bdd, "BEGIN");
    const std::string sql =
        particular ? "INSERT INTO Vias (mslink, clasific, tcomplet, tfeature, Tcorrelate) "
                     "VALUES (?1, ?2, ?3, 1, -1)"
                   : "INSERT INTO Vias (mslink, clasific, tcomplet) VALUES (?1, ?2, ?3)";
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(bdd, sql.c_str(), -1, &insert, nullptr);
    for (int i = 0; i < n; ++i) {
        const int64_t numero = static_cast<int64_t>(i) * paso;
        const int desordenado = static_cast<int>((static_cast<int64_t>(i) * 13) % n);
        const std::string clave = "Calle " + std::to_string(numero);
        sqlite3_bind_int(insert, 1,
                         particular           ? i + 1
                         : desordenado < 1000 ? desordenado + 1
                                              : 100000 + desordenado);
        sqlite3_bind_int(insert, 2, static_cast<int>(numero % 7));
        sqlite3_bind_text(insert, 3, clave.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Ejecuta(bdd, "COMMIT");
    sqlite3_close(bdd);
}

int64_t Cuenta(const fs::path& ruta) {
    sqlite3* bdd = nullptr;
    sqlite3_open(ruta.c_str(), &bdd);
    sqlite3_stmt* cuenta = nullptr;
    sqlite3_prepare_v2(bdd, "SELECT count(*) FROM Vias", -1, &cuenta, nullptr);
    sqlite3_step(cuenta);
    const int64_t n = sqlite3_column_int64(cuenta, 0);
    sqlite3_finalize(cuenta);
    sqlite3_close(bdd);
    return n;
}

void BM_FusionaBdD(benchmark::State& state) {
    const int marcados = static_cast<int>(state.range(0));
    const int generales = static_cast<int>(state.range(1));
    std::string plantilla = (fs::temp_directory_path() / "pelmora-bench-XXXXXX").string();
    if (!mkdtemp(plantilla.data())) throw std::runtime_error("mkdtemp");
    const fs::path carpeta = plantilla;
    CreaVias(carpeta / "general0.sqlite", false);
    CreaVias(carpeta / "particular.sqlite", true);
    // Even General keys: every other marked record finds its equivalent.
    Llena(carpeta / "general0.sqlite", generales, 2, false);
    Llena(carpeta / "particular.sqlite", marcados, 1, true);
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(carpeta / "general0.sqlite", carpeta / "general.sqlite",
                      fs::copy_options::overwrite_existing);
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDGeneral = engine::openDatabase(carpeta / "general.sqlite");
        estado.BdDParticular = engine::openDatabase(carpeta / "particular.sqlite");
        estado.CatalogoParticular = {{"Vias", 1}};
        state.ResumeTiming();
        FusionaBdD(estado);
        state.PauseTiming();
        estado.BdDGeneral.reset();
        state.counters["altas"] =
            static_cast<double>(Cuenta(carpeta / "general.sqlite") - generales);
        state.ResumeTiming();
    }
    fs::remove_all(carpeta);
}
BENCHMARK(BM_FusionaBdD)
    ->Args({1000, 10000})
    ->Args({100000, 1000000})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
