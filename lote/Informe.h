// The batch's report: as JSON for other programs, as a table for the terminal,
// and as one self-contained HTML page for whoever accepts the delivery (the sheets
// that need rework first, and a chart of the counts across the delivery).
#pragma once

#include <ostream>
#include <string>

#include "lote/Resultados.h"

namespace pelmora::lote {

void escribeJson(const ResultadoLote& lote, std::ostream& salida);
void escribeTabla(const ResultadoLote& lote, std::ostream& salida);
void escribeHtml(const ResultadoLote& lote, std::ostream& salida);

// The report in the form its name's extension says (.json or .html), written beside
// and put in place whole. Throws std::runtime_error (Spanish) naming the file.
void guardaInforme(const ResultadoLote& lote, const std::string& ruta);

// Whether `ruta` names a report form: ends in .json or .html.
bool esInforme(const std::string& ruta);

// The sum of a run's seven counters; -1 when it has none.
int64_t sumaContadores(const ResultadoProceso& r);

}  // namespace pelmora::lote
