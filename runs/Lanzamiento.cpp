#include "runs/Lanzamiento.h"

#include "core/FinPrograma.h"
#include "db/engine/Text.h"

namespace pelmora {

const char* TipoProcesoDe(Opcion opcion) {
    switch (opcion) {
        case Opcion::Correlate:
            return "CORRELATE";
        case Opcion::Fusion:
            return "FUSION";
        case Opcion::Adaptacion:
            return "ADAPTACION";
    }
    return "";
}

const Proceso& ProcesoDe(const Procesos& procesos, Opcion opcion) {
    switch (opcion) {
        case Opcion::Fusion:
            return procesos.fusion;
        case Opcion::Adaptacion:
            return procesos.adaptacion;
        case Opcion::Correlate:
            break;
    }
    return procesos.correlate;
}

// For the three-letter extensions of BIN and Access files this is the original's
// "without the last 4 characters"; it also serves .sqlite and .db, and a name
// without extension keeps all of it.
std::string NombreSinExtension(const std::string& ruta) {
    size_t carpeta = ruta.find_last_of("/\\");
    size_t punto = ruta.find_last_of('.');
    bool tieneExtension =
        punto != std::string::npos && (carpeta == std::string::npos || punto > carpeta);
    std::string nombre = tieneExtension ? ruta.substr(0, punto) : ruta;
    return engine::upperCase(nombre);
}

bool CoincidenNombres(const std::string& bin, const std::string& particular) {
    return NombreSinExtension(bin) == NombreSinExtension(particular);
}

static bool FaltanEntradas(Opcion opcion, const Estado& estado) {
    if (opcion == Opcion::Fusion)
        return estado.NombreBdDGeneral.empty() || estado.NombreBdDParticular.empty();
    if (estado.NombreBdDParticular.empty() || estado.NombreFicheroBin.empty()) return true;
    return opcion == Opcion::Adaptacion && estado.NombreBdDGeneral.empty();
}

static bool ConfirmaNombres(Estado& estado) {
    if (CoincidenNombres(estado.NombreFicheroBin, estado.NombreBdDParticular)) return true;
    int contestacion = estado.pantalla.mensaje(
        "No coinciden los nombres del fichero Vexa y de la BdD Particular\r¿Desea continuar?",
        estilo::SiNo + estilo::IconoCritico + estilo::SegundoBoton, "Consistencia entre nombres");
    return contestacion != respuesta::No;
}

bool PreparaProceso(Opcion opcion, Estado& estado) {
    if (FaltanEntradas(opcion, estado)) return false;
    if (opcion != Opcion::Fusion && !ConfirmaNombres(estado)) return false;
    estado.TipoProceso = opcion;
    return true;
}

Desenlace LanzaProceso(Opcion opcion, Estado& estado, const Procesos& procesos) {
    if (!PreparaProceso(opcion, estado)) return Desenlace::Detenido;
    const Proceso& proceso = ProcesoDe(procesos, opcion);
    bool alFinal = false;
    if (!ejecutaHastaFin(estado.pantalla, [&] { alFinal = proceso(estado); }))
        return Desenlace::Error;
    return alFinal ? Desenlace::Terminado : Desenlace::Detenido;
}

}  // namespace pelmora
