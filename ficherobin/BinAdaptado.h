// The Adaptation's new BIN file: the walk reads the original and notes each ATR
// it rewrites; Prepara() then writes the adapted copy beside the original in
// large blocks (".<name>.adaptando", never taken for a sheet), flushed, with the
// original's mode and owner, and names it ".<name>.adaptado" once complete;
// Coloca() puts a complete copy in the original's place in one step. Until then
// the original is exactly as it was.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/LargeMemory.h"
#include "ficherobin/Modulo_tipo.h"

namespace pelmora {

class BinAdaptado {
  public:
    // Checks that `rutaBin` can be adapted (a regular file that may be read and
    // written, whoever runs the program, in a folder that takes a new file);
    // throws ErrorFichero otherwise. Nothing is written.
    static void CompruebaAntes(const std::string& rutaBin);
    // Puts the complete adapted copy of `rutaBin`, if there is one, in its place;
    // true when there was one.
    static bool Coloca(const std::string& rutaBin);
    // Removes whatever copy of `rutaBin` is there, complete or not.
    static void Descarta(const std::string& rutaBin);

    // Room for as many changes as the file could hold ATRs is set aside, not used.
    explicit BinAdaptado(const std::string& rutaBin);
    // A copy left half written is removed.
    ~BinAdaptado();
    BinAdaptado(const BinAdaptado&) = delete;
    BinAdaptado& operator=(const BinAdaptado&) = delete;

    // The ATR read at `posicion` of the original is to link the record `mslink`.
    void CambiaMslink(int64_t posicion, int32_t mslink);
    // Writes the complete adapted copy; with no change noted there is none.
    void Prepara();

  private:
    struct Cambio {
        int64_t posicion;  // of the ATR's mslink in the original
        int32_t mslink;
    };
    void EscribeCopia(int origen, int copia, const std::string& rutaCopia) const;

    std::string ruta_;
    std::vector<Cambio, engine::LargeAllocator<Cambio>> cambios_;  // on large pages: fewer faults
    bool escribiendo_ = false;
};

}  // namespace pelmora
