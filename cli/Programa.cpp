#include "cli/Programa.h"

namespace pelmora {

namespace {

enum class Pregunta { Ninguna, Ayuda, Version };

Pregunta preguntaDe(const std::string& argumento) {
    if (argumento == "--help" || argumento == "--ayuda" || argumento == "-h")
        return Pregunta::Ayuda;
    return argumento == "--version" ? Pregunta::Version : Pregunta::Ninguna;
}

// Where --help or --version may stand: first, or right after an order ("pelmora
// correlate --help"), never as the value of an option.
Pregunta pregunta(const std::vector<std::string>& argumentos) {
    if (argumentos.empty()) return Pregunta::Ninguna;
    Pregunta primera = preguntaDe(argumentos[0]);
    bool orden = argumentos[0].rfind('-', 0) != 0;
    if (primera == Pregunta::Ninguna && orden && argumentos.size() > 1)
        return preguntaDe(argumentos[1]);
    return primera;
}

}  // namespace

std::string lineaVersion(const std::string& nombre) {
    return nombre + " (Pelmora) versión " PELMORA_VERSION;
}

std::string textoAyuda(const Programa& programa) {
    return programa.uso +
           "\n"
           "  -h, --help, --ayuda  muestra esta ayuda\n"
           "  --version            muestra la versión del programa\n";
}

int ejecutaPrograma(const Programa& programa, const std::vector<std::string>& argumentos,
                    std::ostream& salida, std::ostream& errores,
                    const std::function<int()>& orden) {
    switch (pregunta(argumentos)) {
        case Pregunta::Ayuda:
            salida << textoAyuda(programa);
            return salida::Terminado;
        case Pregunta::Version:
            salida << lineaVersion(programa.nombre) << "\n";
            return salida::Terminado;
        case Pregunta::Ninguna:
            break;
    }
    try {
        return orden();
    } catch (const ErrorUso& error) {
        errores << programa.nombre << ": " << error.what() << "\n\n" << textoAyuda(programa);
        return salida::Uso;
    }
}

}  // namespace pelmora
