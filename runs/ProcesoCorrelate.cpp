// The Correlate run: checks its input paths, that a new error BIN file can be
// started and that its log rows fit the log tables before it writes anything; then checks the
// Particular database and registers the run, checks the BIN file, starts a new error BIN file,
// resets the marks and the counters, walks the BIN file correlating each element with its record,
// and shows the counts. Every line is set as soon as its step has ended.
#include "db/Apertura.h"
#include "db/Marcas.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "runs/AdaptacionEnCurso.h"
#include "runs/Entradas.h"
#include "runs/Procesos.h"
#include "runs/RegistroProceso.h"

namespace pelmora {

bool ProcesoCorrelate(Estado& estado) {
    Pantalla& pantalla = estado.pantalla;
    CompruebaEntradas(estado, {UsoEntrada::Lee, UsoEntrada::Anota});
    CompruebaFicheroErrores(estado.NombreFicheroBin);
    estado.BdDParticular = engine::openDatabase(estado.NombreBdDParticular);
    CompruebaRutasRegistrables(estado, FilasError::Correlate);
    ChequeaBdD(estado);
    RecuperaAdaptacion(estado);
    RegistraProceso(estado, "Correlate");
    pantalla.etiqueta("Label1", "Encontrada Tabla : MsCatalog");
    pantalla.etiqueta("Label2", "Encontrada Tabla : Feature");
    pantalla.etiqueta("Label3", "Chequeada la existencia de todas las tablas de MsCatalog");
    pantalla.etiqueta("Label4", "Chequeada la estructura principal de las tablas");
    ChequeaFicheroBin(estado);
    pantalla.etiqueta("Label5", "Chequeado Fichero BIN");
    BorraFicheroErrores(estado.DatosControl.FicheroBin);
    PreparaTcorrelate(estado, estado.NombreBdDParticular);
    PonContadoresACero(estado);
    RecorreFicheroBin(estado, estado.NombreFicheroBin);
    MuestraContadores(estado);
    pantalla.etiqueta("Label6", "PROCESO DE CORRELATE TERMINADO");
    return true;
}

}  // namespace pelmora
