#include "linea/LineaComandos.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/Rutas.h"
#include "linea/PantallaLinea.h"
#include "lote/Lote.h"

namespace pelmora {

namespace {

const Programa kPelmora{
    "pelmora",
    std::string("Uso:\n"
                "  pelmora                                      abre la ventana principal\n"
                "  pelmora correlate  --bin B --particular P [--general G] [--si]\n"
                "  pelmora fusion     --general G --particular P [--bin B]\n"
                "  pelmora adaptacion --general G --particular P --bin B [--si]\n") +
        lote::kUsoLote +
        "\n"
        "  --general G     BdD General del proyecto (Access .mdb, SQLite, o PostgreSQL:\n"
        "                  postgresql://usuario@servidor/base o un fichero .pgconn)\n"
        "  --bin B         fichero BIN (Vexa) de la hoja\n"
        "  --particular P  BdD Particular de la hoja\n"
        "  --si            responde Sí si no coinciden los nombres del fichero BIN\n"
        "                  y de la BdD Particular (sin --si el proceso no sigue)\n"
        "  --progreso      muestra el avance del proceso en la salida de errores\n"
        "                  (por omisión, cuando esa salida es un terminal)\n"
        "  --sin-progreso  no muestra el avance\n"
        "\n"
        "Lote: cada hoja es un fichero BIN y la BdD Particular de su mismo nombre\n"
        "(.mdb, .accdb o .db3), en la carpeta DIR o una por línea en FICHERO (el BIN,\n"
        "y tras un tabulador la BdD Particular si no se llama como él). Correlate y\n"
        "Adaptación corren en N hojas a la vez (por omisión, tantas como núcleos); las\n"
        "fusiones, una tras otra en el orden de las hojas.\n"
        "  --procesos L    los procesos del lote (por omisión, los tres)\n"
        "  --informe R     escribe el informe en R, en JSON (.json) o HTML (.html)\n"
        "  --silencio      sin avance ni tabla final\n"
        "\n"
        "Salida: 0 proceso terminado (lote: todas las hojas), 1 terminado por un error\n"
        "(lote: alguna hoja no terminó), 2 uso incorrecto, 3 detenido sin terminar.\n"};

struct Suborden {
    const char* nombre;
    Opcion opcion;
    std::vector<std::string> obligatorias;
    std::vector<std::string> opcionales;
};

const std::vector<Suborden>& subordenes() {
    static const std::vector<Suborden> lista = {
        {"correlate", Opcion::Correlate, {"--bin", "--particular"}, {"--general"}},
        {"fusion", Opcion::Fusion, {"--general", "--particular"}, {"--bin"}},
        {"adaptacion", Opcion::Adaptacion, {"--general", "--particular", "--bin"}, {}},
    };
    return lista;
}

bool contiene(const std::vector<std::string>& lista, const std::string& valor) {
    return std::find(lista.begin(), lista.end(), valor) != lista.end();
}

}  // namespace

Orden leeOrden(const std::vector<std::string>& argumentos, bool errorEsTerminal) {
    const auto& lista = subordenes();
    auto sub = std::find_if(lista.begin(), lista.end(),
                            [&](const Suborden& s) { return argumentos.at(0) == s.nombre; });
    if (sub == lista.end()) throw ErrorUso("orden desconocida «" + argumentos[0] + "»");
    bool admiteSi = sub->opcion != Opcion::Fusion;

    Orden orden;
    orden.opcion = sub->opcion;
    orden.progreso = errorEsTerminal;
    std::map<std::string, std::string> valores;
    for (size_t i = 1; i < argumentos.size(); ++i) {
        // "--bin B" or "--bin=B"
        std::string opcion = argumentos[i];
        size_t igual = opcion.find('=');
        bool conIgual = opcion.rfind("--", 0) == 0 && igual != std::string::npos;
        std::string valor = conIgual ? opcion.substr(igual + 1) : "";
        if (conIgual) opcion.resize(igual);
        if (opcion == "--si" && admiteSi && !conIgual) {
            orden.si = true;
            continue;
        }
        if ((opcion == "--progreso" || opcion == "--sin-progreso") && !conIgual) {
            orden.progreso = opcion == "--progreso";
            continue;
        }
        if (!contiene(sub->obligatorias, opcion) && !contiene(sub->opcionales, opcion))
            throw ErrorUso("«" + opcion + "» no es una opción de «" + sub->nombre + "»");
        if (!conIgual) {
            if (i + 1 >= argumentos.size()) throw ErrorUso("falta el valor de la opción " + opcion);
            valor = argumentos[++i];
        }
        if (valor.empty()) throw ErrorUso("la opción " + opcion + " necesita un nombre de fichero");
        if (!valores.emplace(opcion, valor).second)
            throw ErrorUso("la opción " + opcion + " aparece más de una vez");
    }
    for (const std::string& opcion : sub->obligatorias)
        if (!valores.count(opcion)) throw ErrorUso("falta la opción " + opcion);

    if (valores.count("--general")) orden.general = RutaAbsoluta(valores["--general"]);
    if (valores.count("--bin")) orden.bin = RutaAbsoluta(valores["--bin"]);
    orden.particular = RutaAbsoluta(valores["--particular"]);
    return orden;
}

int ejecutaOrden(const Orden& orden, const Procesos& procesos, std::ostream& salida,
                 std::ostream& errores) {
    PantallaLinea pantalla(salida, errores, orden.si, orden.progreso);
    Estado estado(pantalla);
    estado.NombreBdDGeneral = orden.general;
    estado.NombreFicheroBin = orden.bin;
    estado.NombreBdDParticular = orden.particular;
    switch (LanzaProceso(orden.opcion, estado, procesos)) {
        case Desenlace::Terminado:
            return salida::Terminado;
        case Desenlace::Error:
            return salida::Fin;
        case Desenlace::Detenido:
            break;
    }
    return salida::Detenido;
}

int lineaComandos(const std::vector<std::string>& argumentos, const Procesos& procesos,
                  std::ostream& salida, std::ostream& errores, bool errorEsTerminal) {
    return ejecutaPrograma(kPelmora, argumentos, salida, errores, [&] {
        if (argumentos.empty())
            throw ErrorUso("falta la orden (esta versión de pelmora no tiene ventanas)");
        if (argumentos[0] == "lote")
            return lote::ejecutaOrdenLote(
                lote::leeOrdenLote({argumentos.begin() + 1, argumentos.end()}), procesos, salida,
                errores, errorEsTerminal);
        return ejecutaOrden(leeOrden(argumentos, errorEsTerminal), procesos, salida, errores);
    });
}

}  // namespace pelmora
