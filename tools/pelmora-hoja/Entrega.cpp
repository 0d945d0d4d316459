#include "tools/pelmora-hoja/Entrega.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "cli/Json.h"
#include "tools/pelmora-hoja/BasesDeDatos.h"
#include "tools/pelmora-hoja/Esperado.h"

namespace pelmora::hoja {

namespace fs = std::filesystem;

namespace {

struct HojaEntrega {
    std::string nombre, bin, particular;
    bool problemas = false;
    Contadores contadores{};
};

Opciones opcionesDeHoja(const Opciones& o, int numero) {
    char sufijo[16];
    std::snprintf(sufijo, sizeof sufijo, "%03d", numero);
    Opciones h = o;
    h.nombre = o.nombre + sufijo;
    h.semilla = o.semilla + static_cast<uint64_t>(numero - 1);
    h.problemas = o.problemas && numero % 3 == 0;
    return h;
}

void preparaCarpeta(const Opciones& o, const std::vector<std::string>& nombres) {
    fs::create_directories(o.salida);
    for (const std::string& nombre : nombres) {
        const fs::path p = fs::path(o.salida) / nombre;
        if (!fs::exists(p)) continue;
        if (!o.reemplaza)
            throw std::runtime_error("Ya existe «" + p.string() +
                                     "»; use --reemplaza para sobrescribirlo");
        fs::remove(p);
    }
}

void escribeLista(const std::string& ruta, const std::string& general,
                  const std::vector<HojaEntrega>& hojas) {
    std::ofstream salida(ruta);
    Json j(salida);
    j.abreObjeto();
    j.par("general", general);
    j.clave("hojas");
    j.abreLista(true);
    for (const HojaEntrega& h : hojas) {
        j.abreObjeto();
        j.par("nombre", h.nombre);
        j.par("bin", h.bin);
        j.par("particular", h.particular);
        j.par("problemas", h.problemas);
        j.clave("contadores_correlate");
        j.abreObjeto(false);
        for (size_t i = 0; i < h.contadores.size(); ++i)
            j.par(kNombresContadores[i], h.contadores[i]);
        j.cierraObjeto();
        j.cierraObjeto();
    }
    j.cierraLista();
    j.cierraObjeto();
    if (!salida.flush()) throw std::runtime_error("No se puede escribir «" + ruta + "»");
}

}  // namespace

void escribeEntrega(const Opciones& o, int hojas) {
    const std::string general = o.nombre + "_general" + o.extension();
    std::vector<std::string> nombres = {general, "entrega.json"};
    for (int i = 1; i <= hojas; ++i) {
        const std::string n = opcionesDeHoja(o, i).nombre;
        for (const char* ext : {".bin", "_err.bin"}) nombres.push_back(n + ext);
        nombres.push_back(n + o.extension());
    }
    preparaCarpeta(o, nombres);

    std::vector<fs::path> escritos;
    auto ruta = [&](const std::string& nombre) {
        escritos.push_back(fs::path(o.salida) / nombre);
        return escritos.back().string();
    };
    try {
        std::vector<HojaEntrega> lista;
        for (int i = 1; i <= hojas; ++i) {
            const Opciones oh = opcionesDeHoja(o, i);
            const Hoja hoja = planificaHoja(oh);
            HojaEntrega h{oh.nombre, oh.nombre + ".bin", oh.nombre + o.extension(), oh.problemas,
                          calculaEsperado(hoja).correlate.contadores};
            escribeBin(hoja, ruta(h.bin), false);
            escribeBaseDeDatos(hoja, false, ruta(h.particular));
            if (i == 1) escribeBaseDeDatos(hoja, true, ruta(general));
            lista.push_back(std::move(h));
        }
        escribeLista(ruta("entrega.json"), general, lista);
    } catch (...) {
        std::error_code ignorado;
        for (const auto& p : escritos) fs::remove(p, ignorado);
        throw;
    }
}

}  // namespace pelmora::hoja
