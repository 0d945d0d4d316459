// The command-line conventions of pelmora, pelmora-bdd and pelmora-hoja: --help and
// --version answered on standard output with exit code 0, and a usage error told
// on the error output, naming what is wrong and followed by the usage, exit code 2.
#pragma once

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/engine/Printable.h"

namespace pelmora {

// The exit codes of the three programs, in one place.
namespace salida {
constexpr int Terminado = 0;
constexpr int Fin = 1;  // pelmora: a fatal check or error ended the run
constexpr int Uso = 2;
constexpr int Detenido = 3;  // pelmora: the run stopped without ending
}  // namespace salida

// A usage error; the options it quotes are escaped where they hold bytes that
// cannot be shown.
struct ErrorUso : std::runtime_error {
    explicit ErrorUso(const std::string& mensaje)
        : std::runtime_error(engine::printable(mensaje)) {}
};

struct Programa {
    std::string nombre;  // "pelmora-hoja"
    std::string uso;     // the usage text, "Uso: ..." and one line per form or option
};

// "pelmora-hoja (Pelmora) versión X.Y.Z"
std::string lineaVersion(const std::string& nombre);

// The usage with the lines on --help and --version that every program shares.
std::string textoAyuda(const Programa& programa);

// Answers --help (also --ayuda, -h) and --version when one of them is the first
// argument or follows the first one that is not an option (the order of pelmora
// and pelmora-bdd); otherwise runs `orden`, turning an ErrorUso it throws into
// "<programa>: <texto>", a blank line and the usage on `errores`. Returns the exit code.
int ejecutaPrograma(const Programa& programa, const std::vector<std::string>& argumentos,
                    std::ostream& salida, std::ostream& errores, const std::function<int()>& orden);

}  // namespace pelmora
