// The run log kept inside the database: the tables ControlFicherosProcesados
// (one row per run) and ERRORES (one row per problem found), created where
// missing, and the two appends, dated by the state's clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Estado.h"

namespace pelmora {

// Creates ERRORES and ControlFicherosProcesados in BdDParticular where no table of
// that name (any letter case) exists, their path columns Memo; NumTablas follows
// the tables created.
void CreaTablasControl(Estado& estado);

// A path a run writes to a column of a log table of BdDParticular.
struct RutaAnotada {
    const char* tabla;
    const char* columna;
    const std::string& ruta;
};

// Checks, writing nothing, that each path fits its column where BdDParticular
// already has that table: a Text column of 255 characters, as older databases
// have, cannot hold a longer path (a table the run creates has room for any).
// Throws the engine's Error naming the column, the table and the file.
void CompruebaQueCabenLasRutas(Estado& estado, const std::vector<RutaAnotada>& rutas);

// Appends one row to ControlFicherosProcesados of BdDParticular. Note the order:
// the Particular path comes before the General one.
void RegistraFicheroProcesado(Estado& estado, const std::string& Proceso,
                              const std::string& FicheroBin, const std::string& BdDMdb_P,
                              const std::string& BdDMdb_G);

// Appends one row to ERRORES of BdDParticular; callers pass the fields of DatosError.
void AnotaError(Estado& estado, const std::string& DescripcionError, int32_t EntitynumError,
                int32_t RegistroError, const std::string& FicheroBinError,
                const std::string& FicheroMdbError);

}  // namespace pelmora
