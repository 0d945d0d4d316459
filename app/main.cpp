// Entry point: with no arguments the main window opens (in the build with windows);
// a run's name, or "lote", runs without windows (see LineaComandos.h).
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "linea/LineaComandos.h"
#if PELMORA_VENTANAS
#include "app/Principal.h"
#endif

int main(int argc, char** argv) {
#if PELMORA_VENTANAS
    if (argc < 2) return pelmora::abrePrincipal(argc, argv);
#endif
    std::vector<std::string> argumentos(argv + 1, argv + argc);
    return pelmora::lineaComandos(argumentos, pelmora::procesosDisponibles(), std::cout, std::cerr,
                                  isatty(STDERR_FILENO) == 1);
}
