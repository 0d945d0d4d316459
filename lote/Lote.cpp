#include "lote/Lote.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/Programa.h"
#include "cli/Rutas.h"
#include "db/engine/Database.h"
#include "lote/Hojas.h"
#include "lote/Informe.h"
#include "lote/Seguimiento.h"

namespace pelmora::lote {

namespace fs = std::filesystem;

const char* const kUsoLote =
    "  pelmora lote --general G (--carpeta DIR | --lista FICHERO)\n"
    "               [--procesos correlate,fusion,adaptacion] [--paralelo N] [--si]\n"
    "               [--informe R.json] [--informe R.html] [--silencio]\n";

namespace {

std::vector<Opcion> leeProcesos(const std::string& lista) {
    std::vector<Opcion> procesos;
    size_t desde = 0;
    while (desde <= lista.size()) {
        size_t coma = std::min(lista.find(',', desde), lista.size());
        const std::string nombre = lista.substr(desde, coma - desde);
        auto o = std::find_if(kOpciones.begin(), kOpciones.end(),
                              [&](Opcion x) { return nombre == nombreOpcion(x); });
        if (o == kOpciones.end())
            throw ErrorUso("«" + nombre + "» no es un proceso (correlate, fusion o adaptacion)");
        if (std::find(procesos.begin(), procesos.end(), *o) != procesos.end())
            throw ErrorUso("el proceso «" + nombre + "» aparece más de una vez en --procesos");
        procesos.push_back(*o);
        desde = coma + 1;
    }
    std::sort(procesos.begin(), procesos.end());
    return procesos;
}

int leeParalelo(const std::string& texto) {
    int n = 0;
    auto [p, error] = std::from_chars(texto.data(), texto.data() + texto.size(), n);
    if (error != std::errc() || p != texto.data() + texto.size() || n < 1 || n > 256)
        throw ErrorUso("--paralelo espera un número de procesos entre 1 y 256: «" + texto + "»");
    return n;
}

// The folder of a report can take it, checked before any run writes anything.
void compruebaInforme(const std::string& ruta) {
    if (!esInforme(ruta)) throw ErrorUso("el informe «" + ruta + "» debe acabar en .json o .html");
    const fs::path carpeta = fs::absolute(ruta).parent_path();
    if (::access(carpeta.c_str(), W_OK | X_OK) != 0)
        throw ErrorUso("no se puede escribir el informe «" + ruta + "» en la carpeta «" +
                       carpeta.string() + "»");
}

void compruebaGeneral(const std::string& ruta) {
    if (engine::isServerAddress(ruta)) return;  // the server is asked when a run opens it
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        throw ErrorUso("no se encuentra la BdD General «" + ruta + "»");
}

}  // namespace

OrdenLote leeOrdenLote(const std::vector<std::string>& opciones) {
    OrdenLote orden;
    orden.plan.procesos = {kOpciones.begin(), kOpciones.end()};
    orden.plan.paralelo = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool conProcesos = false, conParalelo = false;
    for (size_t i = 0; i < opciones.size(); ++i) {
        std::string opcion = opciones[i];
        std::string valor;
        const size_t igual = opcion.find('=');
        const bool conIgual = opcion.rfind("--", 0) == 0 && igual != std::string::npos;
        if (conIgual) {
            valor = opcion.substr(igual + 1);
            opcion.resize(igual);
        }
        if ((opcion == "--si" || opcion == "--silencio") && !conIgual) {
            (opcion == "--si" ? orden.plan.si : orden.silencio) = true;
            continue;
        }
        static const std::vector<std::string> conValor = {"--general",  "--carpeta",  "--lista",
                                                          "--procesos", "--paralelo", "--informe"};
        if (std::find(conValor.begin(), conValor.end(), opcion) == conValor.end())
            throw ErrorUso("«" + opcion + "» no es una opción de «lote»");
        if (!conIgual) {
            if (i + 1 >= opciones.size()) throw ErrorUso("falta el valor de la opción " + opcion);
            valor = opciones[++i];
        }
        if (valor.empty()) throw ErrorUso("la opción " + opcion + " necesita un valor");
        auto unaVez = [&](bool& dada) {
            if (dada) throw ErrorUso("la opción " + opcion + " aparece más de una vez");
            dada = true;
        };
        if (opcion == "--informe") {
            compruebaInforme(valor);
            orden.informes.push_back(RutaAbsoluta(valor));
        } else if (opcion == "--procesos") {
            unaVez(conProcesos);
            orden.plan.procesos = leeProcesos(valor);
        } else if (opcion == "--paralelo") {
            unaVez(conParalelo);
            orden.plan.paralelo = leeParalelo(valor);
        } else {
            std::string& destino = opcion == "--general"   ? orden.general
                                   : opcion == "--carpeta" ? orden.carpeta
                                                           : orden.lista;
            if (!destino.empty()) throw ErrorUso("la opción " + opcion + " aparece más de una vez");
            destino = RutaAbsoluta(valor);
        }
    }
    if (orden.general.empty()) throw ErrorUso("falta la opción --general");
    if (orden.carpeta.empty() == orden.lista.empty())
        throw ErrorUso("indique las hojas con --carpeta o con --lista (una de las dos)");
    return orden;
}

int ejecutaOrdenLote(const OrdenLote& orden, const Procesos& procesos, std::ostream& salida,
                     std::ostream& errores, bool errorEsTerminal) {
    const bool necesitaGeneral = std::any_of(orden.plan.procesos.begin(), orden.plan.procesos.end(),
                                             [](Opcion o) { return o != Opcion::Correlate; });
    if (necesitaGeneral) compruebaGeneral(orden.general);
    std::vector<Hoja> hojas;
    try {
        hojas = orden.carpeta.empty() ? hojasDeLista(orden.lista) : hojasDeCarpeta(orden.carpeta);
    } catch (const std::runtime_error& e) {
        throw ErrorUso(e.what());
    }
    if (hojas.empty())
        throw ErrorUso("no hay ninguna hoja (fichero .bin) en «" +
                       (orden.carpeta.empty() ? orden.lista : orden.carpeta) + "»");

    ResultadoLote lote;
    lote.general = orden.general;
    lote.procesos = orden.plan.procesos;
    lote.paralelo = orden.plan.paralelo;
    for (Hoja& h : hojas) {
        ResultadoHoja r{std::move(h), {}};
        for (Opcion o : lote.procesos) r.de(o).emplace();
        lote.hojas.push_back(std::move(r));
    }
    const ModoSeguimiento modo = orden.silencio    ? ModoSeguimiento::Silencio
                                 : errorEsTerminal ? ModoSeguimiento::Terminal
                                                   : ModoSeguimiento::Lineas;
    Seguimiento seguimiento(errores, modo, lote);
    Planificacion plan = orden.plan;
    plan.sinErrores = modo != ModoSeguimiento::Lineas;
    const auto inicio = std::chrono::steady_clock::now();
    ejecutaLote(plan, procesos, lote, seguimiento);
    lote.segundos =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();

    bool informesEscritos = true;
    for (const std::string& ruta : orden.informes) {
        try {
            guardaInforme(lote, ruta);
        } catch (const std::runtime_error& e) {
            errores << "pelmora: " << e.what() << std::endl;
            informesEscritos = false;
        }
    }
    if (!orden.silencio) escribeTabla(lote, salida);
    return todoTerminado(lote) && informesEscritos ? salida::Terminado : salida::Fin;
}

}  // namespace pelmora::lote
