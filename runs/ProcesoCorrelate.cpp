// The Correlate run: checks its input paths, checks the Particular database and
// registers the run, checks the BIN file, starts a new error BIN file, resets the
// marks and the counters, walks the BIN file correlating each element with its
// record, and shows the counts. Every line is set as soon as its step has ended.
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "bin/Modulo_Bin.h"
#include "bin/RecorreFicheroBin.h"
#include "db/Apertura.h"
#include "db/Marcas.h"
#include "runs/Entradas.h"
#include "runs/Procesos.h"
#include "runs/RegistroProceso.h"

namespace pelmora {

namespace {

namespace fs = std::filesystem;

// Why a removal failed, in Spanish for the common causes.
std::string Motivo(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "no hay permiso para borrarlo";
    if (error == std::errc::read_only_file_system) return "el disco es de solo lectura";
    return error.message();
}

// Removes the error BIN file an earlier run left, so that this run's markers start
// a new one. A read-only file (no write permission) is reported, not removed, as
// Windows refuses to delete one: that, a folder of that name or any failed removal
// is an error that ends the program.
void BorraFicheroErrores(const std::string& RutaBin) {
    const std::string nombre = NombreFicheroErrorBin(RutaBin);
    const fs::path ruta(nombre);
    std::error_code error;
    const fs::file_status estado = fs::symlink_status(ruta, error);
    if (!fs::exists(estado)) return;
    const std::string prefijo = "No se puede borrar el fichero de errores «" + nombre + "»: ";
    if (fs::is_directory(estado)) throw std::runtime_error(prefijo + "es una carpeta");
    if (fs::is_regular_file(estado) &&
        (estado.permissions() & fs::perms::owner_write) == fs::perms::none)
        throw std::runtime_error(prefijo + "es de solo lectura");
    fs::remove(ruta, error);
    if (error) throw std::runtime_error(prefijo + Motivo(error));
}

}  // namespace

bool ProcesoCorrelate(Estado& estado) {
    Pantalla& pantalla = estado.pantalla;
    CompruebaEntradas(estado, {UsoEntrada::Lee, UsoEntrada::Anota});
    AbreYChequeaBdD(estado, estado.NombreBdDParticular);
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
