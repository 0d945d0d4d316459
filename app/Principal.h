// Starts the program on its main window. The environment variable
// PELMORA_CAPTURA=<file.png> instead saves a picture of the main window once it
// is on screen and ends; with PELMORA_CAPTURA_PROCESO=1, 2 or 3 it first runs that
// option's run, as "Procesar" does, on the paths in PELMORA_GENERAL, PELMORA_BIN
// and PELMORA_PARTICULAR, and saves a picture of the run window (scripts/screenshots).
#pragma once

namespace pelmora {

int abrePrincipal(int argc, char** argv);

}  // namespace pelmora
