#include "runs/Entradas.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "db/engine/Database.h"
#include "db/engine/Files.h"
#include "ficherobin/FicheroBinario.h"

namespace pelmora {

namespace {

struct Entrada {
    const char* nombre;  // "el fichero BIN", as the messages name it
    const std::string& ruta;
    UsoEntrada uso;
    struct stat st {};
    bool existe = false;
};

[[noreturn]] void Rechaza(const Entrada& entrada, const std::string& motivo) {
    throw ErrorFichero(std::string("No se puede usar ") + entrada.nombre + " «" + entrada.ruta +
                       "»: " + motivo);
}

// Looks at the input without opening it: a FIFO or a device is never opened. A
// database on a server is looked at by the server when the run connects.
void Examina(Entrada& entrada) {
    if (engine::isServerAddress(entrada.ruta)) return;
    if (::stat(entrada.ruta.c_str(), &entrada.st) != 0) {
        const int error = errno;
        const bool falta = error == ENOENT || error == ENOTDIR;
        if (falta && entrada.uso == UsoEntrada::Anota) return;
        Rechaza(entrada, engine::systemReason(error));
    }
    entrada.existe = true;
    const std::string tipo = engine::notRegularFile(entrada.st.st_mode);
    if (!tipo.empty()) Rechaza(entrada, tipo + ", no un fichero");
    if (entrada.uso == UsoEntrada::Lee && ::access(entrada.ruta.c_str(), R_OK) != 0)
        Rechaza(entrada, "no se puede leer: " + engine::systemReason(errno));
}

}  // namespace

void CompruebaEntradas(const Estado& estado, UsoEntradas usos) {
    std::vector<Entrada> entradas;
    const auto anade = [&](const char* nombre, const std::string& ruta, UsoEntrada uso) {
        if (!ruta.empty()) entradas.push_back({nombre, ruta, uso});
    };
    anade("el fichero BIN", estado.NombreFicheroBin, usos.bin);
    anade("la BdD Particular", estado.NombreBdDParticular, UsoEntrada::Lee);
    anade("la BdD General", estado.NombreBdDGeneral, usos.general);
    if (engine::isServerAddress(estado.NombreBdDParticular))
        Rechaza({"la BdD Particular", estado.NombreBdDParticular, UsoEntrada::Lee},
                "va con su hoja y ha de ser un fichero de Access o de SQLite, no una base de "
                "datos de un servidor");
    for (Entrada& entrada : entradas) Examina(entrada);
    for (size_t i = 0; i < entradas.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (entradas[i].existe && entradas[j].existe
                    ? engine::sameFile(entradas[i].st, entradas[j].st)
                    : engine::isServerAddress(entradas[i].ruta) &&
                          engine::withoutPassword(entradas[i].ruta) ==
                              engine::withoutPassword(entradas[j].ruta))
                Rechaza(entradas[i], std::string("es el mismo fichero que ") + entradas[j].nombre +
                                         " «" + entradas[j].ruta + "»");
}

}  // namespace pelmora
