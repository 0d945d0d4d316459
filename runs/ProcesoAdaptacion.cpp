// The Adaptation run: its input paths and its BIN file checked first, then once
// both databases list the same tables and the paths of its log rows fit the
// Particular's log tables, checks the General database (creating its log tables
// where missing), registers the run in the Particular database and walks the BIN
// file, rewriting each ATR's link to the matching General record; then shows the
// counts. The error BIN file of an earlier run is kept: this run's markers are
// appended to it. The control row, the log rows and the adapted BIN file land
// together (AdaptacionEnCurso.h).
#include <filesystem>

#include "db/Apertura.h"
#include "db/Catalogos.h"
#include "db/Comparacion.h"
#include "db/engine/GroupGuard.h"
#include "ficherobin/BinAdaptado.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "runs/AdaptacionEnCurso.h"
#include "runs/Entradas.h"
#include "runs/Procesos.h"
#include "runs/RegistroProceso.h"

namespace pelmora {

bool ProcesoAdaptacion(Estado& estado) {
    const std::string& general = estado.NombreBdDGeneral;
    const std::string& particular = estado.NombreBdDParticular;
    CompruebaEntradas(estado, {UsoEntrada::Lee, UsoEntrada::Lee});
    BinAdaptado::CompruebaAntes(estado.NombreFicheroBin);
    CompruebaFicheroErrores(estado.NombreFicheroBin, UsoErrores::Anadido);
    AbreBdDGeneralYParticular(estado, general, particular);
    // An Adaptation of this file cut short after its database writes landed is
    // completed, not run twice.
    const std::string completada = RecuperaAdaptacion(estado);
    std::error_code distinto;
    if (!completada.empty() &&
        std::filesystem::equivalent(completada, estado.NombreFicheroBin, distinto)) {
        estado.pantalla.mensaje("La adaptación anterior del fichero «" + estado.NombreFicheroBin +
                                "» se interrumpió al final y ha quedado terminada");
        estado.pantalla.etiqueta("Label6", "PROCESO DE ADAPTACION DE OCURRENCIAS TERMINADO");
        return true;
    }
    CargaMsCatalogGeneral(estado);
    CargaMsCatalogParticular(estado);
    if (!ComparaTablasBdD(estado)) {
        estado.pantalla.enfocaPrincipal();
        return false;
    }
    CompruebaRutasRegistrables(estado, FilasError::Adaptacion);
    // The checks run on the General database through the main handle; its Feature
    // table stays loaded for the walk, while the catalog is the Particular one again.
    AbreYChequeaBdD(estado, general);
    AbreBdDGeneralYParticular(estado, general, particular);
    // The control row, the log rows and the adapted BIN file land together.
    AdaptacionEnCurso enCurso(estado);
    engine::GroupGuard grupo(estado.BdDParticular);
    BinAdaptado adaptado(estado.NombreFicheroBin);
    RegistraProceso(estado, "Adaptación");
    CargaMsCatalogParticular(estado);
    PonContadoresACero(estado);
    RecorreFicheroBin(estado, estado.NombreFicheroBin, &adaptado);
    adaptado.Prepara();
    grupo.finish();
    enCurso.Termina();
    MuestraContadores(estado);
    estado.pantalla.etiqueta("Label6", "PROCESO DE ADAPTACION DE OCURRENCIAS TERMINADO");
    return true;
}

}  // namespace pelmora
