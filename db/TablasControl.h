// The run log kept inside the database: the tables ControlFicherosProcesados
// (one row per run) and ERRORES (one row per problem found), created where
// missing, and the two appends, dated by the state's clock.
#pragma once

#include <cstdint>
#include <string>

#include "core/Estado.h"

namespace pelmora {

// Creates ERRORES and ControlFicherosProcesados in BdDParticular where no table of
// that name (any letter case) exists; NumTablas follows the tables created.
void CreaTablasControl(Estado& estado);

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
