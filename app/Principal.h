// Starts the program on its main window. The environment variable
// PELMORA_CAPTURA=<file.png> instead saves a picture of the main window once it
// is on screen and ends (used by scripts/screenshots).
#pragma once

namespace pelmora {

int abrePrincipal(int argc, char** argv);

}  // namespace pelmora
