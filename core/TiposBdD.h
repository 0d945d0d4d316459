// The in-memory records of the catalog tables and of the two log tables'
// rows, shared by the database layer, the BIN walk and the runs.
#pragma once

#include <cstdint>
#include <string>

namespace pelmora {

// One row of MsCatalog.
struct RegistroMsCatalog {
    std::string tablename;  // trimmed, letter case as stored
    int32_t entitynum = 0;
};

// One row of Feature, with its NoAsignar mark.
struct RegistroFeature {
    std::string tablename;  // trimmed, letter case as stored
    int32_t mslink = 0;
    int16_t ftype = 0;
    bool NoAsignar = false;
};

// The values of the next ERRORES row.
struct DatosErrorRegistro {
    std::string DescripcionError;
    int32_t EntitynumError = 0;
    int32_t RegistroError = 0;
    std::string FicheroBinError;
    std::string FicheroMdbError;
};

// The values of the next ControlFicherosProcesados row.
struct DatosControlRegistro {
    std::string Proceso;
    std::string FicheroBin;
    std::string BdDMdb_G;
    std::string BdDMdb_P;
};

}  // namespace pelmora
