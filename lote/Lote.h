// pelmora lote: a delivery of sheets through Correlate, Fusion and Adaptation in
// one command, with its progress and its report.
//   pelmora lote --general G (--carpeta DIR | --lista FICHERO)
//                [--procesos correlate,fusion,adaptacion] [--paralelo N] [--si]
//                [--informe R.json] [--informe R.html] [--silencio]
// Exit codes: 0 every sheet ended, 1 a sheet failed or the batch was interrupted,
// 2 usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "lote/Planificador.h"
#include "runs/Procesos.h"

namespace pelmora::lote {

struct OrdenLote {
    std::string general;
    std::string carpeta;  // or
    std::string lista;
    Planificacion plan;
    std::vector<std::string> informes;  // .json and .html files
    bool silencio = false;
};

// The usage lines of the sub-command, for the program's usage text.
extern const char* const kUsoLote;

// Reads the options after "lote"; throws ErrorUso naming what is wrong.
OrdenLote leeOrdenLote(const std::vector<std::string>& opciones);

// Finds the sheets, runs the batch, writes the reports and the table; returns
// the exit code. Throws ErrorUso when the sheets cannot be found.
int ejecutaOrdenLote(const OrdenLote& orden, const Procesos& procesos, std::ostream& salida,
                     std::ostream& errores, bool errorEsTerminal);

}  // namespace pelmora::lote
