// The report as a table for the terminal.
#include <algorithm>

#include "lote/Informe.h"
#include "lote/Seguimiento.h"

namespace pelmora::lote {

namespace {

size_t caracteres(const std::string& t) {
    return static_cast<size_t>(std::count_if(
        t.begin(), t.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Rows of cells printed in columns as wide as their widest cell, two spaces apart.
void columnas(const std::vector<std::vector<std::string>>& filas, std::ostream& salida) {
    std::vector<size_t> ancho;
    for (const auto& fila : filas) {
        ancho.resize(std::max(ancho.size(), fila.size()));
        for (size_t i = 0; i < fila.size(); ++i) ancho[i] = std::max(ancho[i], caracteres(fila[i]));
    }
    for (const auto& fila : filas) {
        std::string linea;
        for (size_t i = 0; i < fila.size(); ++i) {
            linea += fila[i];
            if (i + 1 < fila.size()) linea += std::string(ancho[i] - caracteres(fila[i]) + 2, ' ');
        }
        salida << linea << '\n';
    }
}

std::string celdaErrores(const ResultadoHoja& h, Opcion o) {
    if (!h.de(o) || !h.de(o)->contadores) return "-";
    return std::to_string(sumaContadores(*h.de(o)));
}

}  // namespace

void escribeTabla(const ResultadoLote& lote, std::ostream& salida) {
    std::vector<std::vector<std::string>> filas;
    std::vector<std::string> cabecera = {"Hoja", "Estado"};
    for (Opcion o : lote.procesos) cabecera.push_back(TipoProcesoDe(o));
    cabecera.insert(cabecera.end(), {"Errores C", "Errores A", "Tiempo"});
    filas.push_back(cabecera);
    for (const ResultadoHoja& h : lote.hojas) {
        std::vector<std::string> fila = {h.hoja.nombre, nombreEstadoHoja(estadoDe(h))};
        double segundos = 0;
        for (Opcion o : lote.procesos) {
            fila.push_back(nombreFinal(h.de(o)->final));
            segundos += h.de(o)->segundos;
        }
        fila.insert(fila.end(), {celdaErrores(h, Opcion::Correlate),
                                 celdaErrores(h, Opcion::Adaptacion), duracion(segundos)});
        filas.push_back(fila);
    }
    columnas(filas, salida);

    size_t cuenta[4] = {};
    for (const ResultadoHoja& h : lote.hojas) ++cuenta[static_cast<int>(estadoDe(h))];
    salida << "\nHojas: " << lote.hojas.size() << " · correctas " << cuenta[3] << " · con errores "
           << cuenta[2] << " · fallidas " << cuenta[0] << " · sin terminar " << cuenta[1] << " · "
           << duracion(lote.segundos) << (lote.interrumpido ? " · lote interrumpido" : "") << '\n';
    for (const ResultadoHoja& h : lote.hojas) {
        if (!h.hoja.problema.empty()) salida << h.hoja.nombre << ": " << h.hoja.problema << '\n';
        for (Opcion o : lote.procesos) {
            const ResultadoProceso& r = *h.de(o);
            if (r.final == Final::Detenido || r.final == Final::Error ||
                r.final == Final::Abandonado)
                salida << h.hoja.nombre << ", " << TipoProcesoDe(o) << ": "
                       << (r.motivo().empty() ? nombreFinal(r.final) : r.motivo()) << '\n';
        }
    }
}

}  // namespace pelmora::lote
