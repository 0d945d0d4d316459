// The report as one HTML page that needs nothing else: its style and its charts
// (inline SVG) are in the page.
#include <algorithm>
#include <sstream>

#include "lote/Informe.h"
#include "lote/Seguimiento.h"
#include "runs/RegistroProceso.h"

namespace pelmora::lote {

namespace {

const char* const kColores[7] = {"#4e79a7", "#f28e2b", "#e15759", "#76b7b2",
                                 "#59a14f", "#edc948", "#b07aa1"};

const char* const kEstilo = R"(
body { font-family: "DejaVu Sans", sans-serif; margin: 2em; color: #222; }
h1 { font-size: 1.6em; } h2 { font-size: 1.2em; margin-top: 2em; }
table { border-collapse: collapse; font-size: 0.9em; }
th, td { border: 1px solid #ccc; padding: 0.25em 0.6em; text-align: left; vertical-align: top; }
td.n { text-align: right; }
tr.fallida td:first-child { border-left: 6px solid #c0392b; }
tr.sin-terminar td:first-child { border-left: 6px solid #7f8c8d; }
tr.con-errores td:first-child { border-left: 6px solid #e67e22; }
tr.correcta td:first-child { border-left: 6px solid #27ae60; }
ul.cuentas { list-style: none; padding: 0; display: flex; gap: 1.5em; }
.leyenda span { display: inline-block; width: 0.9em; height: 0.9em; margin-right: 0.3em; }
.aviso { background: #fdebd0; padding: 0.5em; }
figure { margin: 1em 0; } figcaption { font-weight: bold; }
)";

std::string html(const std::string& texto) {
    std::string r;
    for (char c : texto) {
        switch (c) {
            case '&':
                r += "&amp;";
                break;
            case '<':
                r += "&lt;";
                break;
            case '>':
                r += "&gt;";
                break;
            case '"':
                r += "&quot;";
                break;
            case '\r':
                r += "\n";
                break;
            default:
                r += c;
        }
    }
    return r;
}

std::string clase(EstadoHoja e) {
    std::string c = nombreEstadoHoja(e);
    std::replace(c.begin(), c.end(), ' ', '-');
    return c;
}

// The fixed text of a counter, without its trailing " : ".
std::string nombreContador(size_t i) {
    std::string t = kContadores[i].texto;
    return t.substr(0, t.find(" : "));
}

std::string motivo(const ResultadoHoja& h) {
    if (!h.hoja.problema.empty()) return h.hoja.problema;
    for (const auto& p : h.procesos)
        if (p && p->final != Final::Terminado && !p->motivo().empty()) return p->motivo();
    return "";
}

void resumen(const ResultadoLote& lote, std::ostream& s) {
    s << "<p>BdD General: <code>" << html(lote.general) << "</code> · procesos:";
    for (Opcion o : lote.procesos) s << ' ' << TipoProcesoDe(o);
    s << " · " << lote.paralelo << " a la vez · " << duracion(lote.segundos) << "</p>\n";
    s << "<ul class=\"cuentas\"><li>Hojas: " << lote.hojas.size() << "</li>";
    for (EstadoHoja e : {EstadoHoja::Fallida, EstadoHoja::SinTerminar, EstadoHoja::ConErrores,
                         EstadoHoja::Correcta}) {
        size_t n = 0;
        for (const ResultadoHoja& h : lote.hojas) n += estadoDe(h) == e;
        s << "<li class=\"" << clase(e) << "\">" << nombreEstadoHoja(e) << ": " << n << "</li>";
    }
    s << "</ul>\n";
    if (lote.interrumpido)
        s << "<p class=\"aviso\">El lote se interrumpió: las hojas sin terminar no pasaron "
             "por todos sus procesos.</p>\n";
}

std::string celdaErrores(const ResultadoHoja& h, Opcion o) {
    if (!h.de(o) || !h.de(o)->contadores) return "-";
    return std::to_string(sumaContadores(*h.de(o)));
}

void tablaHojas(const ResultadoLote& lote, std::ostream& s) {
    s << "<h2>Hojas, primero las que necesitan revisión</h2>\n<table id=\"hojas\">\n<tr>"
         "<th>Hoja</th><th>Estado</th>";
    for (Opcion o : lote.procesos) s << "<th>" << TipoProcesoDe(o) << "</th>";
    s << "<th>Errores Correlate</th><th>Errores Adaptación</th><th>Motivo</th></tr>\n";
    for (size_t i : ordenRevision(lote)) {
        const ResultadoHoja& h = lote.hojas[i];
        s << "<tr class=\"" << clase(estadoDe(h)) << "\" data-hoja=\"" << html(h.hoja.nombre)
          << "\"><td>" << html(h.hoja.nombre) << "</td><td>" << nombreEstadoHoja(estadoDe(h))
          << "</td>";
        for (Opcion o : lote.procesos)
            s << "<td>" << nombreFinal(h.de(o)->final) << " (" << duracion(h.de(o)->segundos)
              << ")</td>";
        s << "<td class=\"n\">" << celdaErrores(h, Opcion::Correlate) << "</td><td class=\"n\">"
          << celdaErrores(h, Opcion::Adaptacion) << "</td><td>" << html(motivo(h))
          << "</td></tr>\n";
    }
    s << "</table>\n";
}

// Stacked columns, one per sheet in the delivery's order, one colour per counter.
void grafico(const ResultadoLote& lote, Opcion o, std::ostream& s) {
    int64_t maximo = 1;
    for (const ResultadoHoja& h : lote.hojas)
        if (h.de(o) && h.de(o)->contadores) maximo = std::max(maximo, sumaContadores(*h.de(o)));
    const int paso = lote.hojas.size() > 100 ? 6 : 14, alto = 200, izquierda = 50;
    const int ancho = izquierda + paso * static_cast<int>(lote.hojas.size()) + 20;
    s << "<figure id=\"grafico-" << nombreOpcion(o) << "\"><figcaption>Errores contados por "
      << TipoProcesoDe(o) << "</figcaption>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
      << ancho << "\" height=\"" << alto + 30 << "\" role=\"img\">\n"
      << "<text x=\"0\" y=\"12\" font-size=\"11\">" << maximo << "</text>"
      << "<text x=\"0\" y=\"" << alto + 10 << "\" font-size=\"11\">0</text>"
      << "<line x1=\"" << izquierda - 4 << "\" y1=\"" << alto + 10 << "\" x2=\"" << ancho
      << "\" y2=\"" << alto + 10 << "\" stroke=\"#888\"/>\n";
    for (size_t i = 0; i < lote.hojas.size(); ++i) {
        const ResultadoHoja& h = lote.hojas[i];
        const ResultadoProceso* r = h.de(o) ? &*h.de(o) : nullptr;
        s << "<g class=\"barra\" data-hoja=\"" << html(h.hoja.nombre) << "\"><title>"
          << html(h.hoja.nombre) << ": "
          << (r && r->contadores ? std::to_string(sumaContadores(*r)) : "sin cuentas")
          << "</title>";
        double base = alto + 10;
        const int x = izquierda + paso * static_cast<int>(i);
        for (size_t k = 0; r && r->contadores && k < 7; ++k) {
            const double altura = static_cast<double>((*r->contadores)[k]) * alto / maximo;
            if (altura <= 0) continue;
            base -= altura;
            s << "<rect x=\"" << x << "\" y=\"" << base << "\" width=\"" << paso - 2
              << "\" height=\"" << altura << "\" fill=\"" << kColores[k] << "\"/>";
        }
        s << "</g>\n";
    }
    s << "</svg></figure>\n";
}

void leyenda(std::ostream& s) {
    s << "<p class=\"leyenda\">";
    for (size_t k = 0; k < 7; ++k)
        s << "<span style=\"background:" << kColores[k] << "\"></span>" << html(nombreContador(k))
          << (k + 1 < 7 ? " · " : "");
    s << "</p>\n";
}

void tablaContadores(const ResultadoLote& lote, Opcion o, std::ostream& s) {
    s << "<h2>Contadores de " << TipoProcesoDe(o) << "</h2>\n<table id=\"contadores-"
      << nombreOpcion(o) << "\">\n<tr><th>Hoja</th>";
    for (size_t k = 0; k < 7; ++k) s << "<th>" << html(nombreContador(k)) << "</th>";
    s << "</tr>\n";
    for (const ResultadoHoja& h : lote.hojas) {
        s << "<tr><td>" << html(h.hoja.nombre) << "</td>";
        for (size_t k = 0; k < 7; ++k) {
            s << "<td class=\"n\">";
            if (h.de(o) && h.de(o)->contadores) s << (*h.de(o)->contadores)[k];
            s << "</td>";
        }
        s << "</tr>\n";
    }
    s << "</table>\n";
}

}  // namespace

void escribeHtml(const ResultadoLote& lote, std::ostream& s) {
    s << "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<title>Informe del lote</title>\n<style>"
      << kEstilo << "</style>\n</head>\n<body>\n<h1>Informe del lote</h1>\n";
    resumen(lote, s);
    tablaHojas(lote, s);
    std::vector<Opcion> conCuentas;
    for (Opcion o : lote.procesos)
        if (o != Opcion::Fusion) conCuentas.push_back(o);
    if (!conCuentas.empty()) {
        s << "<h2>Errores contados en la entrega</h2>\n";
        leyenda(s);
        for (Opcion o : conCuentas) grafico(lote, o, s);
        for (Opcion o : conCuentas) tablaContadores(lote, o, s);
    }
    s << "</body>\n</html>\n";
}

}  // namespace pelmora::lote
