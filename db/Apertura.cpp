#include "db/Apertura.h"

#include "db/Catalogos.h"
#include "db/ChequeoTablas.h"
#include "db/TablasControl.h"

namespace pelmora {

void AbreBdDGeneralYParticular(Estado& estado, const std::string& rutaGeneral,
                               const std::string& rutaParticular) {
    estado.BdDGeneral = engine::openDatabase(rutaGeneral);
    estado.BdDParticular = engine::openDatabase(rutaParticular);
}

void AbreYChequeaBdD(Estado& estado, const std::string& ruta) {
    estado.BdDParticular = engine::openDatabase(ruta);
    ChequeaBdD(estado);
}

void ChequeaBdD(Estado& estado) {
    CreaTablasControl(estado);
    ChequeaTablasMsCatalogFeature(estado);
    ChequeaNombresTablas(estado);
    ChequeaEstructuraTablas(estado);
}

}  // namespace pelmora
