// What the benchmarks share to build their sample databases: Vias-shaped tables
// made through the engine on SQLite or on a copy of an empty Access file, and
// their rows written in bulk (libsqlite3 in one transaction on SQLite, the
// engine's row writer on Access files). Their temporary folders are the tests'.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "db/engine/Database.h"
#include "tests/support/TempDir.h"

namespace pelmora::bench {

// A new database: SQLite, or, for a name ending in ".mdb", a writable copy of an
// empty Access file.
std::shared_ptr<engine::Database> CreaBdD(const std::filesystem::path& ruta);

// A table with mslink, clasific, tmapa, tcomplet, tfeature and, when asked, Tcorrelate.
void CreaTablaVias(engine::Database& bdd, const std::string& tabla, bool conTcorrelate);

// One row of such a table (tmapa left Null).
struct FilaVias {
    int32_t mslink = 0;
    int32_t clasific = 0;
    std::string tcomplet;
    int32_t tfeature = 1;
    bool marcada = false;  // Tcorrelate, where the table has it
};

// Appends rows fila(0) .. fila(n - 1) to the table of the file at `ruta`.
void Llena(const std::filesystem::path& ruta, const std::string& tabla, bool conTcorrelate, int n,
           const std::function<FilaVias(int)>& fila);

}  // namespace pelmora::bench
