// The Fusion run: checks its input paths, opens both databases, checks that the
// control row's paths fit and registers the run in the Particular one, and merges once both
// catalogs list the same tables. No log table is created and no table check runs here: a Particular
// database without ControlFicherosProcesados is an error that ends the program at the registration.
#include "db/Apertura.h"
#include "db/Catalogos.h"
#include "db/Comparacion.h"
#include "db/Fusion.h"
#include "runs/AdaptacionEnCurso.h"
#include "runs/Entradas.h"
#include "runs/Procesos.h"
#include "runs/RegistroProceso.h"

namespace pelmora {

bool ProcesoFusion(Estado& estado) {
    CompruebaEntradas(estado, {UsoEntrada::Anota, UsoEntrada::Lee});
    AbreBdDGeneralYParticular(estado, estado.NombreBdDGeneral, estado.NombreBdDParticular);
    CompruebaRutasRegistrables(estado, FilasError::Ninguna);
    RecuperaAdaptacion(estado);
    RegistraProceso(estado, "Anexa");
    CargaMsCatalogGeneral(estado);
    CargaMsCatalogParticular(estado);
    if (!ComparaTablasBdD(estado)) {
        estado.pantalla.enfocaPrincipal();
        return false;
    }
    FusionaBdD(estado);
    estado.pantalla.etiqueta("Label6", "PROCESO TERMINADO");
    return true;
}

}  // namespace pelmora
