// The Adaptation's new BIN file, landed whole: the walk reads the original and
// notes each ATR it rewrites; at the end the adapted copy is written beside the
// original (".<name>.adaptando", never taken for a sheet) in large blocks,
// flushed, given the original's mode and owner, and renamed over it in one step.
// Until then, and after any error or kill, the original is exactly as it was.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bin/Modulo_tipo.h"

namespace pelmora {

class BinAdaptado {
  public:
    // Checks that `rutaBin` can be adapted (a regular file that may be read and
    // written, whoever runs the program, in a folder that takes a new file) and
    // removes the copy a run cut short left; throws ErrorFichero otherwise.
    // Nothing else is written.
    static void CompruebaAntes(const std::string& rutaBin);

    explicit BinAdaptado(const std::string& rutaBin);
    // A copy not landed is removed.
    ~BinAdaptado();
    BinAdaptado(const BinAdaptado&) = delete;
    BinAdaptado& operator=(const BinAdaptado&) = delete;

    // The ATR read at `posicion` of the original is to read `atributo`.
    void Cambia(int64_t posicion, const AtributoOcurrencia& atributo);
    // Writes the adapted copy and puts it in the original's place. With no change
    // noted the original is left as it is.
    void Termina();

  private:
    struct Cambio {
        int64_t posicion;
        std::array<uint8_t, AtributoOcurrencia::kBytes> bytes;
    };
    void EscribeCopia(int origen, int copia) const;

    std::string ruta_;   // the file itself, links followed
    std::string copia_;  // the adapted copy being written
    std::vector<Cambio> cambios_;  // in the order of the file
    bool escribiendo_ = false;
};

}  // namespace pelmora
