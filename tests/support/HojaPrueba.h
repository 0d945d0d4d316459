// Small sheets made by hand for the run tests: databases holding the catalog
// tables and occurrence tables with the records the test names, and the fixture
// of a run on them (the BIN files come from BinPrueba.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/Database.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {

struct RegistroHoja {
    int32_t mslink;
    int32_t clasific;
    std::string tcomplet;
    bool Tcorrelate = false;
};

// An occurrence table, its catalog entry and its one assignable Feature code.
struct TablaHoja {
    std::string nombre;
    int32_t entitynum;
    int32_t codigoFeature;
    std::vector<RegistroHoja> registros;
};

// MsCatalog (Feature, then each table), Feature (one assignable code per table),
// an empty NoAsignar, and each table with its records (Tmapa "H1", Tfeature 1)
// and their marks.
void CreaHoja(engine::Database& bdd, const std::vector<TablaHoja>& tablas);

// A run test: a Particular database H1, a General database and the BIN path H1.bin
// in the temporary folder, on every backend, with the state's paths set.
class ProcesoPrueba : public BdDPrueba {
  protected:
    void SetUp() override;

    // Runs `proceso` as a run window does: a fatal ending shows its message and
    // ends the program (recorded). `alFinal` tells whether it reached its final status.
    bool Corre(bool (*proceso)(Estado&), bool* alFinal = nullptr);
    // The labels set, "Label6=texto", in order.
    std::vector<std::string> Etiquetas() const;
    // Creates the log tables in `bdd`, as a Correlate run on it would.
    void TablasControl(const std::shared_ptr<engine::Database>& bdd);

    std::shared_ptr<engine::Database> particular, general;
    std::string bin;
};

// The rows of `tabla` with the values of `columnas` as texts ("" for Null).
std::vector<std::vector<std::string>> Textos(engine::Database& bdd, const std::string& tabla,
                                             const std::vector<std::string>& columnas);

}  // namespace pelmora::prueba
