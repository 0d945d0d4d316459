#include "cli/Json.h"
#include "lote/Informe.h"
#include "runs/RegistroProceso.h"

namespace pelmora::lote {

namespace {

void proceso(Json& j, const ResultadoProceso& r) {
    j.abreObjeto();
    j.par("final", nombreFinal(r.final));
    j.clave("segundos");
    j.decimal(r.segundos, 3);
    j.clave("mensaje");
    if (r.final == Final::Terminado || r.motivo().empty())
        j.nulo();
    else
        j.valor(r.motivo());
    j.clave("mensajes");
    j.abreLista();
    for (const std::string& m : r.mensajes) j.valor(m);
    j.cierraLista();
    j.clave("contadores");
    if (!r.contadores) {
        j.nulo();
    } else {
        j.abreObjeto(false);
        for (size_t i = 0; i < kContadores.size(); ++i)
            j.par(kContadores[i].nombre, (*r.contadores)[i]);
        j.cierraObjeto();
    }
    j.cierraObjeto();
}

void hoja(Json& j, const ResultadoHoja& h) {
    j.abreObjeto();
    j.par("nombre", h.hoja.nombre);
    j.par("bin", h.hoja.bin);
    j.par("particular", h.hoja.particular);
    j.par("estado", nombreEstadoHoja(estadoDe(h)));
    j.clave("problema");
    if (h.hoja.problema.empty())
        j.nulo();
    else
        j.valor(h.hoja.problema);
    j.clave("procesos");
    j.abreObjeto();
    for (Opcion o : kOpciones)
        if (h.de(o)) {
            j.clave(nombreOpcion(o));
            proceso(j, *h.de(o));
        }
    j.cierraObjeto();
    j.cierraObjeto();
}

}  // namespace

void escribeJson(const ResultadoLote& lote, std::ostream& salida) {
    Json j(salida);
    j.abreObjeto();
    j.par("general", lote.general);
    j.clave("procesos");
    j.abreLista();
    for (Opcion o : lote.procesos) j.valor(nombreOpcion(o));
    j.cierraLista();
    j.par("paralelo", int64_t{lote.paralelo});
    j.par("interrumpido", lote.interrumpido);
    j.clave("segundos");
    j.decimal(lote.segundos, 3);
    j.clave("resumen");
    j.abreObjeto(false);
    j.par("hojas", static_cast<int64_t>(lote.hojas.size()));
    for (EstadoHoja e : {EstadoHoja::Correcta, EstadoHoja::ConErrores, EstadoHoja::Fallida,
                         EstadoHoja::SinTerminar}) {
        int64_t n = 0;
        for (const ResultadoHoja& h : lote.hojas) n += estadoDe(h) == e;
        std::string clave = nombreEstadoHoja(e);
        for (char& c : clave) c = c == ' ' ? '_' : c;
        j.par(clave, n);
    }
    j.cierraObjeto();
    j.clave("hojas");
    j.abreLista(true);
    for (const ResultadoHoja& h : lote.hojas) hoja(j, h);
    j.cierraLista();
    j.cierraObjeto();
}

}  // namespace pelmora::lote
