// What the walk's tests share: the database fixture on every backend, a Particular
// and a General database built from tables and rows, and the log rows and marks
// read back.
#pragma once

#include <string>
#include <vector>

#include "tests/support/BdDPrueba.h"
#include "tests/support/BinPrueba.h"

namespace pelmora::prueba {

// A table to build: its columns and rows (values in column order; Null where absent).
struct TablaPrueba {
    std::string nombre;
    std::vector<Columna> columnas;
    std::vector<Fila> filas;
};

// Columns of an ordinary occurrence table (mslink, clasific, tmapa, tcomplet, tfeature,
// Tcorrelate) and of the label table (mslink, tcomplet, tmapa, netiqueta).
std::vector<Columna> ColumnasTabla();
std::vector<Columna> ColumnasEtiquetas();

class RecorridoPrueba : public BdDPrueba {
  protected:
    // A database with these tables and the log tables; the first one made becomes the
    // Particular database (BdDParticular, NombreBdDParticular), a second the General one.
    std::shared_ptr<engine::Database> Particular(const std::vector<TablaPrueba>& tablas);
    std::shared_ptr<engine::Database> General(const std::vector<TablaPrueba>& tablas);
    // Writes the BIN file and makes it the run's (NombreFicheroBin).
    std::string Bin(const BinPrueba& bin);

    // The ERRORES rows: DescripcionError, EntitynumError, RegistroError, FicheroBinError,
    // FicheroMdbError.
    std::vector<Fila> Errores();
    // Tcorrelate of every record of a Particular table, in stored order.
    std::vector<bool> Marcas(const std::string& tabla);
    // The seven counters in the order the windows show them.
    std::vector<int32_t> Contadores() const;
    void PonContadoresACero();
    // An ERRORES row as expected.
    Fila Error(const std::string& descripcion, int32_t entitynum, int32_t registro,
               const std::string& ficheroBin) const;

    std::string rutaBin;
};

}  // namespace pelmora::prueba
