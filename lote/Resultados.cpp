#include "lote/Resultados.h"

#include <algorithm>
#include <numeric>

namespace pelmora::lote {

const char* nombreFinal(Final final) {
    switch (final) {
        case Final::Pendiente:
            return "pendiente";
        case Final::Terminado:
            return "terminado";
        case Final::Detenido:
            return "detenido";
        case Final::Error:
            return "error";
        case Final::Omitido:
            return "omitido";
        case Final::Abandonado:
            return "abandonado";
    }
    return "";
}

const char* nombreOpcion(Opcion opcion) {
    switch (opcion) {
        case Opcion::Correlate:
            return "correlate";
        case Opcion::Fusion:
            return "fusion";
        case Opcion::Adaptacion:
            return "adaptacion";
    }
    return "";
}

const char* nombreEstadoHoja(EstadoHoja estado) {
    switch (estado) {
        case EstadoHoja::Fallida:
            return "fallida";
        case EstadoHoja::SinTerminar:
            return "sin terminar";
        case EstadoHoja::ConErrores:
            return "con errores";
        case EstadoHoja::Correcta:
            return "correcta";
    }
    return "";
}

EstadoHoja estadoDe(const ResultadoHoja& hoja) {
    if (!hoja.hoja.problema.empty()) return EstadoHoja::Fallida;
    bool sinTerminar = false, conErrores = false;
    for (const auto& p : hoja.procesos) {
        if (!p) continue;
        switch (p->final) {
            case Final::Detenido:
            case Final::Error:
            case Final::Omitido:
                return EstadoHoja::Fallida;
            case Final::Pendiente:
            case Final::Abandonado:
                sinTerminar = true;
                break;
            case Final::Terminado:
                if (p->contadores)
                    for (int32_t n : *p->contadores) conErrores = conErrores || n != 0;
                break;
        }
    }
    if (sinTerminar) return EstadoHoja::SinTerminar;
    return conErrores ? EstadoHoja::ConErrores : EstadoHoja::Correcta;
}

bool todoTerminado(const ResultadoLote& lote) {
    return std::all_of(lote.hojas.begin(), lote.hojas.end(), [](const ResultadoHoja& h) {
        const EstadoHoja e = estadoDe(h);
        return e == EstadoHoja::Correcta || e == EstadoHoja::ConErrores;
    });
}

std::vector<size_t> ordenRevision(const ResultadoLote& lote) {
    std::vector<size_t> orden(lote.hojas.size());
    std::iota(orden.begin(), orden.end(), size_t{0});
    std::stable_sort(orden.begin(), orden.end(), [&](size_t a, size_t b) {
        return estadoDe(lote.hojas[a]) < estadoDe(lote.hojas[b]);
    });
    return orden;
}

}  // namespace pelmora::lote
