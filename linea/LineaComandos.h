// The runs without windows, one sheet at a time:
//   pelmora correlate  --bin B --particular P [--general G] [--si]
//   pelmora fusion     --general G --particular P [--bin B]
//   pelmora adaptacion --general G --particular P --bin B [--si]
// or a whole delivery with "pelmora lote" (lote/Lote.h);
// and, with any of the three, --progreso or --sin-progreso (the walk's progress on the
// error output; by default only when the error output is a terminal).
// Exit codes: 0 the run reached its final status, 1 a fatal check or error ended
// it, 2 usage error, 3 it stopped without ending (the name question answered No,
// or the table lists differ).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/Programa.h"
#include "runs/Lanzamiento.h"
#include "runs/Procesos.h"

namespace pelmora {

// One run asked for on the command line, its paths made absolute.
struct Orden {
    Opcion opcion = Opcion::Correlate;
    std::string general;
    std::string bin;
    std::string particular;
    bool si = false;
    bool progreso = false;
};

// Reads the sub-command and its options (the arguments after the program's
// name); throws ErrorUso with a Spanish text naming what is wrong. Progress is
// shown when `errorEsTerminal` unless an option says otherwise.
Orden leeOrden(const std::vector<std::string>& argumentos, bool errorEsTerminal = false);

// Runs `orden` through the command-line port; returns the exit code.
int ejecutaOrden(const Orden& orden, const Procesos& procesos, std::ostream& salida,
                 std::ostream& errores);

// The whole command line: help, version, usage errors, then the run. No arguments
// at all is a usage error (the program built without windows).
int lineaComandos(const std::vector<std::string>& argumentos, const Procesos& procesos,
                  std::ostream& salida, std::ostream& errores, bool errorEsTerminal = false);

}  // namespace pelmora
