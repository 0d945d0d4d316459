// pelmora-hoja: writes a sample sheet (BIN file, Particular and General databases,
// a second BIN file for the Adaptation run) with known problems, and esperado.json.
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/Programa.h"
#include "db/engine/Text.h"
#include "tools/pelmora-hoja/BasesDeDatos.h"
#include "tools/pelmora-hoja/Entrega.h"
#include "tools/pelmora-hoja/EscribeEsperado.h"

using namespace pelmora::hoja;
namespace fs = std::filesystem;

namespace {

const pelmora::Programa kPrograma{
    "pelmora-hoja",
    "Uso: pelmora-hoja --salida CARPETA [opciones]\n"
    "  --nombre N          nombre base de la hoja (por omisión: hoja)\n"
    "  --elementos N       elementos gráficos (por omisión: 1000)\n"
    "  --atributos N       ATR como mucho por elemento sin problemas (por omisión: 2;\n"
    "                      no más que tablas con ATR: las ordinarias y 199ETIQUETAS)\n"
    "  --tablas N          tablas ordinarias, además de 199ETIQUETAS y Maps (por omisión: 4)\n"
    "  --semilla S         semilla del azar: la misma semilla da la misma hoja (por omisión: 1)\n"
    "  --formato F         sqlite (por omisión), mdb o accdb\n"
    "  --plantilla F       base de datos de Access vacía de la que parten las .mdb o .accdb\n"
    "  --sin-problemas     ningún problema: contadores a cero y una sola hoja BIN\n"
    "  --sin-noasignar     sin tabla NoAsignar en las bases de datos\n"
    "  --reemplaza         sobrescribe los ficheros de una hoja anterior\n"
    "  --hojas N           escribe una entrega de N hojas (NOMBRE001, NOMBRE002...) con una\n"
    "                      sola BdD General, NOMBRE_general, y entrega.json; con problemas,\n"
    "                      una hoja de cada tres\n"};

using pelmora::ErrorUso;

int64_t numero(const std::string& opcion, const char* texto) {
    int64_t n = 0;
    auto fin = texto + std::strlen(texto);
    auto [p, error] = std::from_chars(texto, fin, n);
    if (error != std::errc() || p != fin)
        throw ErrorUso(opcion + " espera un número: «" + texto + "»");
    return n;
}

int64_t natural(const std::string& opcion, const char* texto) {
    int64_t n = numero(opcion, texto);
    if (n < 0) throw ErrorUso(opcion + " no admite números negativos: «" + texto + "»");
    return n;
}

Opciones leeOpciones(int argc, char** argv, int64_t& hojas) {
    Opciones o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto valor = [&]() -> const char* {
            if (i + 1 >= argc) throw ErrorUso(a + " espera un valor");
            return argv[++i];
        };
        if (a == "--salida")
            o.salida = valor();
        else if (a == "--nombre")
            o.nombre = valor();
        else if (a == "--elementos")
            o.elementos = natural(a, valor());
        else if (a == "--atributos")
            o.atributos = static_cast<int>(numero(a, valor()));
        else if (a == "--tablas")
            o.tablas = static_cast<int>(numero(a, valor()));
        else if (a == "--semilla")
            o.semilla = static_cast<uint64_t>(natural(a, valor()));
        else if (a == "--formato")
            o.formato = valor();
        else if (a == "--plantilla")
            o.plantilla = valor();
        else if (a == "--sin-problemas")
            o.problemas = false;
        else if (a == "--sin-noasignar")
            o.noAsignar = false;
        else if (a == "--reemplaza")
            o.reemplaza = true;
        else if (a == "--hojas")
            hojas = natural(a, valor());
        else
            throw ErrorUso("opción desconocida: «" + a + "»");
    }
    if (o.salida.empty()) throw ErrorUso("falta --salida");
    if (o.nombre.empty() || o.nombre.find('/') != std::string::npos)
        throw ErrorUso("--nombre debe ser un nombre de fichero sin carpetas");
    if (o.formato != "sqlite" && o.formato != "mdb" && o.formato != "accdb")
        throw ErrorUso("--formato debe ser sqlite, mdb o accdb: «" + o.formato + "»");
    if (hojas == 0 || hojas > 999) throw ErrorUso("--hojas espera un número de 1 a 999");
    if (o.formato != "sqlite" &&
        pelmora::engine::upperCase(std::filesystem::path(o.plantilla).extension().string()) !=
            pelmora::engine::upperCase(o.extension()))
        throw ErrorUso("--formato " + o.formato + " necesita --plantilla con una base de datos " +
                       "de Access vacía " + o.extension());
    return o;
}

// The Particular database shares the BIN file's name, extension aside, so that the
// main window's name check passes; its extension is as long as ".bin".
Ficheros nombres(const Opciones& o) {
    const std::string ext = o.extension();
    return {o.nombre + ".bin",     o.nombre + "_adaptacion.bin",
            o.nombre + ext,        o.nombre + "_general" + ext,
            o.nombre + "_err.bin", o.nombre + "_adaptacion_err.bin"};
}

// Refuses to overwrite an earlier sheet unless asked; an error BIN file left by earlier
// runs goes too, since the runs append to it.
void preparaCarpeta(const Opciones& o, const Ficheros& f) {
    fs::create_directories(o.salida);
    for (const auto& nombre : {f.bin, f.binAdaptacion, f.particular, f.general, f.errores,
                               f.erroresAdaptacion, std::string("esperado.json")}) {
        fs::path p = fs::path(o.salida) / nombre;
        if (!fs::exists(p)) continue;
        if (!o.reemplaza)
            throw std::runtime_error("Ya existe «" + p.string() +
                                     "»; use --reemplaza para sobrescribirlo");
        fs::remove(p);
    }
}

// Writes every file of the sheet, esperado.json last; on a failure removes the files it
// wrote, so that no half-written sheet is left behind.
void escribeHoja(const Opciones& o, const Ficheros& f, const Hoja& hoja, const Esperado& esperado) {
    std::vector<fs::path> escritos;
    auto ruta = [&](const std::string& nombre) {
        escritos.push_back(fs::path(o.salida) / nombre);
        return escritos.back().string();
    };
    try {
        escribeBin(hoja, ruta(f.bin), false);
        if (hoja.binAdaptacion) escribeBin(hoja, ruta(f.binAdaptacion), true);
        escribeBaseDeDatos(hoja, false, ruta(f.particular));
        escribeBaseDeDatos(hoja, true, ruta(f.general));
        escribeEsperado(ruta("esperado.json"), hoja, esperado, f);
    } catch (...) {
        std::error_code ignorado;
        for (const auto& p : escritos) fs::remove(p, ignorado);
        throw;
    }
}

// Writes the sheet and says where; returns the exit code.
int generaHoja(int argc, char** argv) {
    int64_t hojas = -1;  // a single sheet
    Opciones o = leeOpciones(argc, argv, hojas);
    if (hojas > 0) {
        escribeEntrega(o, static_cast<int>(hojas));
        std::cout << "Entrega escrita en " << o.salida << ": " << hojas << " hojas\n";
        return 0;
    }
    Ficheros f = nombres(o);
    Hoja hoja = planificaHoja(o);
    Esperado esperado = calculaEsperado(hoja);
    preparaCarpeta(o, f);
    escribeHoja(o, f, hoja, esperado);
    std::cout << "Hoja escrita en " << o.salida << ": " << hoja.elementos.size() << " elementos, "
              << hoja.atributos.size() << " ATR\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return pelmora::ejecutaPrograma(kPrograma, {argv + 1, argv + argc}, std::cout, std::cerr,
                                        [&] { return generaHoja(argc, argv); });
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
