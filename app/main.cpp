// Entry point: with no arguments the main window opens; a run's name runs it
// without windows (see LineaComandos.h).
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/LineaComandos.h"
#include "app/Principal.h"

int main(int argc, char** argv) {
    if (argc < 2) return pelmora::abrePrincipal(argc, argv);
    std::vector<std::string> argumentos(argv + 1, argv + argc);
    return pelmora::lineaComandos(argumentos, pelmora::procesosDisponibles(), std::cout, std::cerr,
                                  isatty(STDERR_FILENO) == 1);
}
