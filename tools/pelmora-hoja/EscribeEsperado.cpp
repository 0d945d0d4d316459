// esperado.json: the sheet's parameters and contents, then what each run must show
// and do, in the order the runs are meant to go (Correlate, Fusion, Adaptation).
#include "tools/pelmora-hoja/EscribeEsperado.h"

#include <fstream>
#include <map>
#include <stdexcept>

#include "cli/Json.h"

namespace pelmora::hoja {
namespace {

std::string hex(const std::array<uint8_t, 12>& bytes) {
    static const char* d = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) s += {d[b >> 4], d[b & 15]};
    return s;
}

bool llevaMarca(const Tabla& t) {
    return t.clase == ClaseTabla::Ordinaria || t.clase == ClaseTabla::Etiquetas ||
           t.clase == ClaseTabla::Maps;
}

class Escritor {
  public:
    Escritor(std::ostream& salida, const Hoja& hoja, const Esperado& esperado,
             const Ficheros& ficheros)
        : j_(salida), hoja_(hoja), e_(esperado), f_(ficheros) {}

    void escribe() {
        j_.abreObjeto();
        j_.par("version", 1);
        parametros();
        j_.clave("rutas");
        j_.valor(
            "En los textos, {bin}, {particular} y {general} son las rutas con que se lanza cada "
            "proceso (texto vacío cuando no se le da esa entrada); 'entradas' dice qué fichero de "
            "'ficheros' recibe cada proceso.");
        ficheros();
        contenido();
        correlate();
        fusion();
        adaptacion();
        j_.cierraObjeto();
    }

  private:
    void parametros() {
        const Opciones& o = hoja_.opciones;
        j_.clave("parametros");
        j_.abreObjeto();
        j_.par("elementos", o.elementos);
        j_.par("atributos", o.atributos);
        j_.par("tablas", o.tablas);
        j_.par("semilla", static_cast<int64_t>(o.semilla));
        j_.par("formato", o.formato);
        j_.par("problemas", o.problemas);
        j_.par("noasignar", o.noAsignar);
        j_.cierraObjeto();
    }

    void ficheros() {
        j_.clave("ficheros");
        j_.abreObjeto();
        j_.par("bin", f_.bin);
        j_.clave("bin_adaptacion");
        if (hoja_.binAdaptacion)
            j_.valor(f_.binAdaptacion);
        else
            j_.nulo();
        j_.par("particular", f_.particular);
        j_.par("general", f_.general);
        j_.cierraObjeto();
    }

    void contenido() {
        j_.clave("hoja");
        j_.abreObjeto();
        j_.par("elementos", static_cast<int64_t>(hoja_.elementos.size()));
        j_.par("atributos", static_cast<int64_t>(hoja_.atributos.size()));
        j_.par("longitud_bin", hoja_.longitudBin);
        int64_t enAdaptacion = 0;
        std::map<std::string, int64_t> clases;
        for (const auto& e : hoja_.elementos) {
            enAdaptacion += e.posicionAdaptacion >= 0;
            ++clases[nombreClase(e.clase)];
        }
        j_.par("elementos_adaptacion", enAdaptacion);
        j_.par("longitud_bin_adaptacion", hoja_.longitudBinAdaptacion);
        j_.clave("clases");
        cuentas(clases);
        j_.clave("tablas");
        j_.abreLista(true);
        for (const auto& t : hoja_.tablas) {
            j_.abreObjeto(false);
            j_.par("nombre", t.nombre);
            j_.par("catalogo", t.catalogo);
            j_.par("entitynum", t.entitynum);
            j_.par("particular", static_cast<int64_t>(t.particular.size()));
            j_.par("general", static_cast<int64_t>(t.general.size()));
            std::map<std::string, int64_t> casos;
            for (const auto& r : t.particular) ++casos[nombreCaso(r.caso)];
            j_.clave("casos");
            cuentas(casos);
            j_.cierraObjeto();
        }
        j_.cierraLista();
        j_.cierraObjeto();
    }

    void correlate() {
        j_.clave("correlate");
        j_.abreObjeto();
        entradas({{"bin", "bin"}, {"particular", "particular"}});
        mensajes(e_.mensajesCorrelate);
        std::vector<std::pair<std::string, std::string>> lineas = {
            {"Label1", "Encontrada Tabla : MsCatalog"},
            {"Label2", "Encontrada Tabla : Feature"},
            {"Label3", "Chequeada la existencia de todas las tablas de MsCatalog"},
            {"Label4", "Chequeada la estructura principal de las tablas"},
            {"Label5", "Chequeado Fichero BIN"}};
        cuenta(e_.correlate, lineas);
        lineas.push_back({"Label6", "PROCESO DE CORRELATE TERMINADO"});
        ventana(lineas);
        contadores(e_.correlate);
        control("Correlate");
        j_.par("tablas_control_creadas", "particular");
        j_.clave("columna_tcorrelate_creada");
        j_.abreLista();
        for (const auto& t : hoja_.tablas)
            if (llevaMarca(t) && !t.tcorrelatePrevio) j_.valor(t.nombre);
        j_.cierraLista();
        recorrido(e_.correlate, f_.errores);
        j_.clave("marcas");
        j_.abreObjeto();
        for (std::size_t t = 0; t < hoja_.tablas.size(); ++t) {
            if (!llevaMarca(hoja_.tablas[t])) continue;
            j_.clave(hoja_.tablas[t].nombre);
            j_.abreObjeto(false);
            j_.par("filas", static_cast<int64_t>(hoja_.tablas[t].particular.size()));
            j_.clave("marcadas");
            j_.abreLista();
            for (int32_t fila : e_.marcas[t]) j_.valor(fila);
            j_.cierraLista();
            j_.cierraObjeto();
        }
        j_.cierraObjeto();
        j_.cierraObjeto();
    }

    void fusion() {
        j_.clave("fusion");
        j_.abreObjeto();
        entradas({{"general", "general"}, {"particular", "particular"}});
        mensajes({});
        ventana({{"Label6", "PROCESO TERMINADO"}});
        control("Anexa");
        j_.clave("anexados");
        j_.abreObjeto();
        for (std::size_t t = 0; t < hoja_.tablas.size(); ++t) {
            if (e_.anexados[t].empty()) continue;
            j_.clave(hoja_.tablas[t].nombre);
            j_.abreLista(true);
            for (const auto& r : e_.anexados[t]) anexado(hoja_.tablas[t], r);
            j_.cierraLista();
        }
        j_.cierraObjeto();
        j_.cierraObjeto();
    }

    void adaptacion() {
        j_.clave("adaptacion");
        j_.abreObjeto();
        entradas({{"bin", hoja_.binAdaptacion ? "bin_adaptacion" : "bin"},
                  {"general", "general"},
                  {"particular", "particular"}});
        mensajes(e_.mensajesAdaptacion);
        std::vector<std::pair<std::string, std::string>> lineas;
        cuenta(e_.adaptacion, lineas);
        lineas.push_back({"Label6", "PROCESO DE ADAPTACION DE OCURRENCIAS TERMINADO"});
        ventana(lineas);
        contadores(e_.adaptacion);
        control("Adaptación");
        j_.par("tablas_control_creadas", "general");
        recorrido(e_.adaptacion, hoja_.binAdaptacion ? f_.erroresAdaptacion : f_.errores);
        j_.clave("reescritos");
        j_.abreLista(true);
        for (const auto& r : e_.adaptacion.reescritos) {
            j_.abreLista();
            j_.valor(r.posicion);
            j_.valor(r.antes);
            j_.valor(r.despues);
            j_.cierraLista();
        }
        j_.cierraLista();
        j_.cierraObjeto();
    }

    // ---- pieces

    void cuentas(const std::map<std::string, int64_t>& m) {
        j_.abreObjeto(false);
        for (const auto& [k, v] : m) j_.par(k, v);
        j_.cierraObjeto();
    }

    void entradas(const std::vector<std::pair<const char*, const char*>>& e) {
        j_.clave("entradas");
        j_.abreObjeto(false);
        for (const auto& [k, v] : e) j_.par(k, v);
        j_.cierraObjeto();
    }

    void mensajes(const std::vector<Mensaje>& m) {
        j_.clave("mensajes");
        j_.abreLista(true);
        for (const auto& x : m) {
            j_.abreObjeto(false);
            j_.par("texto", x.texto);
            j_.par("estilo", x.estilo);
            j_.par("titulo", x.titulo);
            j_.par("respuesta", x.respuesta);
            j_.cierraObjeto();
        }
        j_.cierraLista();
    }

    static void cuenta(const Recorrido& r,
                       std::vector<std::pair<std::string, std::string>>& lineas) {
        for (int i = 0; i < 7; ++i)
            lineas.push_back({"Label" + std::to_string(7 + i),
                              kTextosContadores[i] + std::to_string(r.contadores[i])});
    }

    // The window's lines in the order they are set, and the labels that show them.
    void ventana(const std::vector<std::pair<std::string, std::string>>& lineas) {
        j_.clave("lineas");
        j_.abreLista(true);
        for (const auto& l : lineas) j_.valor(l.second);
        j_.cierraLista();
        j_.clave("etiquetas");
        j_.abreObjeto();
        for (const auto& l : lineas) j_.par(l.first.c_str(), l.second);
        j_.cierraObjeto();
    }

    void contadores(const Recorrido& r) {
        j_.clave("contadores");
        j_.abreObjeto(false);
        for (int i = 0; i < 7; ++i) {
            j_.par(kNombresContadores[i], r.contadores[i]);
        }
        j_.cierraObjeto();
    }

    void control(const char* proceso) {
        j_.clave("control");
        j_.abreObjeto(false);
        j_.par("Proceso", proceso);
        j_.par("FicheroBin", kRutaBin);
        j_.par("BdDMdb_P", kRutaParticular);
        j_.par("BdDMdb_G", kRutaGeneral);
        j_.cierraObjeto();
    }

    void recorrido(const Recorrido& r, const std::string& ficheroErrores) {
        j_.clave("errores");
        j_.abreLista(true);
        for (const auto& f : r.errores) {
            j_.abreObjeto(false);
            j_.par("DescripcionError", f.DescripcionError);
            j_.par("EntitynumError", f.EntitynumError);
            j_.par("RegistroError", f.RegistroError);
            j_.par("FicheroBinError", f.FicheroBinError);
            j_.par("FicheroMdbError", f.FicheroMdbError);
            j_.cierraObjeto();
        }
        j_.cierraLista();
        j_.clave("fichero_errores");
        j_.abreObjeto(false);
        j_.par("nombre", ficheroErrores);
        j_.par("bytes", static_cast<int64_t>(72 * r.marcadores.size()));
        j_.cierraObjeto();
        j_.clave("marcadores");
        j_.abreLista(true);
        for (const auto& m : r.marcadores) {
            j_.abreObjeto(false);
            j_.par("posicion", m.posicion);
            j_.par("codigo", m.codigo);
            j_.par("punto", hex(m.punto));
            j_.cierraObjeto();
        }
        j_.cierraLista();
    }

    void anexado(const Tabla& t, const Registro& r) {
        j_.abreObjeto(false);
        j_.par("mslink", r.mslink);
        opcional("tcomplet", r.tcomplet);
        opcional("tmapa", r.tmapa);
        if (t.clase == ClaseTabla::Etiquetas) {
            opcional("netiqueta", r.netiqueta);
        } else {
            j_.par("clasific", *r.clasific);
            j_.par("tfeature", r.tfeature);
        }
        j_.cierraObjeto();
    }

    void opcional(const char* k, const std::optional<std::string>& v) {
        j_.clave(k);
        if (v)
            j_.valor(*v);
        else
            j_.nulo();
    }

    Json j_;
    const Hoja& hoja_;
    const Esperado& e_;
    const Ficheros& f_;
};

}  // namespace

void escribeEsperado(const std::string& ruta, const Hoja& hoja, const Esperado& esperado,
                     const Ficheros& ficheros) {
    std::ofstream salida(ruta, std::ios::binary);
    if (!salida) throw std::runtime_error("No se puede crear el fichero «" + ruta + "»");
    Escritor(salida, hoja, esperado, ficheros).escribe();
    salida.close();
    if (!salida) throw std::runtime_error("Error al escribir el fichero «" + ruta + "»");
}

}  // namespace pelmora::hoja
