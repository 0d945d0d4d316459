// codigos-orden: writes db/engine/jet/SortCodeTables.cpp to stdout from
// testIndexCodesV1997.mdb and the folder of the Jackcess code lists (Output.cpp
// says what comes from where). Given only the .mdb, it writes the Access 97 lines
// that Access's own entries give, for a test to compare with the committed file.
#include <exception>
#include <iostream>

#include "tools/codigos-orden/Codes2000.h"
#include "tools/codigos-orden/Output.h"

using namespace pelmora::codigos;

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "Uso: codigos-orden testIndexCodesV1997.mdb [CARPETA_LISTAS_JACKCESS]\n";
        return 2;
    }
    try {
        Codes97 codes97 = readCodes97(argv[1]);
        if (argc == 2) {
            std::cout << linesFromEntries97(codes97);
            return 0;
        }
        complete97(codes97, readList97(argv[2]));
        std::cout << fileStart() << runsPart(readRuns(argv[2], "genleg"), "kGeneralRuns")
                  << runsPart(readRuns(argv[2], "gen"), "kGeneral2010Runs") << part97(codes97)
                  << fileEnd();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
