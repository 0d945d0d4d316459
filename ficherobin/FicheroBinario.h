// A binary file by path: open for reading or for reading and writing, a
// position, the length, and whole records read and written at the position.
// Reads go through a window of the file kept in memory, so that a walk that
// reads a header and skips ahead costs no system call per element; writes go
// straight to the file. Closed when the object goes. Errors name the file.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/engine/Printable.h"

namespace pelmora {

// A failure of the file system on a named file; the message is Spanish, the path
// in it escaped where it holds bytes that cannot be shown.
class ErrorFichero : public std::runtime_error {
  public:
    explicit ErrorFichero(const std::string& mensaje)
        : std::runtime_error(engine::printable(mensaje)) {}
};

// Throws ErrorFichero "<que> «<ruta>»: <why errno `error` happened, in Spanish>".
[[noreturn]] void FallaFichero(const std::string& que, const std::string& ruta, int error);

// The folder of a path ("." for a bare file name).
std::string CarpetaDe(const std::string& ruta);
// 0 when files can be created in (and removed from) the folder of `ruta`, or the
// errno that tells why not.
int ErrorAlCrearEn(const std::string& ruta);

// What a record offers to be read or written whole.
template <class R>
concept RegistroBin = requires(R r, const R c, const uint8_t* in, uint8_t* out) {
    { R::kBytes } -> std::convertible_to<std::size_t>;
    r.desdeBytes(in);
    c.aBytes(out);
};

class FicheroBinario {
  public:
    enum class Modo {
        Lectura,           // the file must exist
        LecturaEscritura,  // the file must exist
        CreaSiFalta,       // reading and writing; a missing file is created empty
    };

    FicheroBinario(std::string ruta, Modo modo);
    ~FicheroBinario();
    FicheroBinario(const FicheroBinario&) = delete;
    FicheroBinario& operator=(const FicheroBinario&) = delete;

    const std::string& ruta() const { return ruta_; }
    int64_t posicion() const { return posicion_; }
    void situa(int64_t posicion);
    int64_t longitud() const { return longitud_; }

    // Reads exactly `n` bytes at the position and moves past them; fewer left in
    // the file is an error.
    void leeBytes(uint8_t* destino, std::size_t n);
    // Reads up to `n` bytes (fewer at the end of the file); returns how many.
    std::size_t leeHasta(uint8_t* destino, std::size_t n);
    // Writes `n` bytes at the position (growing the file) and moves past them.
    void escribeBytes(const uint8_t* origen, std::size_t n);

    template <RegistroBin R>
    void lee(R& registro) {
        uint8_t b[R::kBytes];
        leeBytes(b, R::kBytes);
        registro.desdeBytes(b);
    }

    template <RegistroBin R>
    void escribe(const R& registro) {
        uint8_t b[R::kBytes];
        registro.aBytes(b);
        escribeBytes(b, R::kBytes);
    }

    // Closes now, reporting a failure (the destructor closes silently).
    void cierra();

  private:
    bool rellenaVentana(std::size_t minimo);

    std::string ruta_;
    Modo modo_;
    int fd_ = -1;
    int64_t posicion_ = 0;
    int64_t longitud_ = 0;
    std::vector<uint8_t> ventana_;  // bytes of the file from ventanaInicio_
    int64_t ventanaInicio_ = 0;
};

}  // namespace pelmora
