// The process's state, one object passed by reference: the inputs and run kind,
// the open databases, the catalogs, the error counters and the current ATR, and
// the records handed to the log tables. Created once by the program's entry point;
// tests create as many as they like.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Pantalla.h"
#include "core/Reloj.h"
#include "core/TiposBdD.h"
#include "db/engine/Database.h"

namespace pelmora {

// The three runs, as the main window's options name them.
enum class Opcion { Correlate, Fusion, Adaptacion };

struct Estado {
    explicit Estado(Pantalla& p) : pantalla(p) {}

    Pantalla& pantalla;
    // Where the log tables take the date and time of their rows from.
    std::function<FechaHora()> reloj = relojLocal;

    // Inputs chosen in the main window, and the run launched (none before the first).
    std::string NombreBdDGeneral;
    std::string NombreFicheroBin;
    std::string NombreBdDParticular;
    std::optional<Opcion> TipoProceso;

    // Open databases: the main handle and the General database.
    std::shared_ptr<engine::Database> BdDParticular;
    std::shared_ptr<engine::Database> BdDGeneral;

    // Catalogs in the engine's row order; their sizes are the counts.
    std::vector<RegistroMsCatalog> CatalogoParticular;
    std::vector<RegistroMsCatalog> CatalogoGeneral;
    std::vector<RegistroFeature> ListaFeature;

    // Number of table definitions of BdDParticular when last counted.
    int32_t NumTablas = 0;

    // The seven error counters, in the order the run windows show them.
    int32_t NumSinAtrOcurrencia = 0;
    int32_t NumSinAtr = 0;
    int32_t NumAtrRepetido = 0;
    int32_t NumTablaInexistente = 0;
    int32_t NumSinRegistro = 0;
    int32_t NumSinCorrespondencia = 0;
    int32_t NumVariasCorrespondencias = 0;

    // The ATR the walk is processing.
    int32_t EntitynumActual = 0;
    int32_t MslinkActual = 0;

    DatosErrorRegistro DatosError;
    DatosControlRegistro DatosControl;
};

// Adds one to a 32-bit counter; past its maximum it is an error, as in the original.
void incrementa(int32_t& contador);

}  // namespace pelmora
