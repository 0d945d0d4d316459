#include "ficherobin/BinAdaptado.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ficherobin/FicheroBinario.h"

namespace pelmora {

namespace {

namespace fs = std::filesystem;

constexpr size_t kBloque = 1 << 20;

std::string RutaReal(const std::string& ruta) {
    std::error_code error;
    const fs::path real = fs::canonical(ruta, error);
    return error ? ruta : real.string();
}

// The copy being written, and the copy once complete.
std::string RutaCopia(const std::string& real, const char* estado) {
    const fs::path p(real);
    return (p.parent_path() / ("." + p.filename().string() + "." + estado)).string();
}

// Flushes to the disk, as every landed write is; test suites may skip it.
void Sincroniza(int fd, const std::string& ruta) {
    const char* sin = std::getenv("PELMORA_SIN_SINCRONIZAR");
    if (sin && std::string(sin) == "1") return;
    if (::fsync(fd) != 0) FallaFichero("No se puede guardar el fichero", ruta, errno);
}

void EscribeTodo(int fd, const uint8_t* datos, size_t n, const std::string& ruta) {
    while (n > 0) {
        const ssize_t r = ::write(fd, datos, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) FallaFichero("Error al escribir en el fichero", ruta, r < 0 ? errno : ENOSPC);
        datos += r;
        n -= size_t(r);
    }
}

void SincronizaCarpeta(const std::string& real) {
    const int carpeta = ::open(CarpetaDe(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (carpeta < 0) return;
    Sincroniza(carpeta, CarpetaDe(real));
    ::close(carpeta);
}

}  // namespace

void BinAdaptado::CompruebaAntes(const std::string& rutaBin) {
    const std::string real = RutaReal(rutaBin);
    struct stat st {};
    if (::stat(real.c_str(), &st) != 0)
        FallaFichero("No se puede abrir el fichero", rutaBin, errno);
    if (!S_ISREG(st.st_mode))
        throw ErrorFichero("El fichero BIN «" + rutaBin + "» no es un fichero normal");
    if ((st.st_mode & 0222) == 0 || ::access(real.c_str(), R_OK | W_OK) != 0)
        throw ErrorFichero("No se puede adaptar el fichero BIN «" + rutaBin +
                           "»: es de solo lectura");
    if (ErrorAlCrearEn(real) != 0)
        throw ErrorFichero("No se puede adaptar el fichero BIN «" + rutaBin + "»: en su carpeta «" +
                           CarpetaDe(real) + "» no se pueden crear ficheros");
}

bool BinAdaptado::Coloca(const std::string& rutaBin) {
    const std::string real = RutaReal(rutaBin);
    const std::string lista = RutaCopia(real, "adaptado");
    if (::rename(lista.c_str(), real.c_str()) != 0) {
        if (errno == ENOENT) return false;
        FallaFichero("No se puede reemplazar el fichero", rutaBin, errno);
    }
    SincronizaCarpeta(real);
    return true;
}

void BinAdaptado::Descarta(const std::string& rutaBin) {
    const std::string real = RutaReal(rutaBin);
    ::unlink(RutaCopia(real, "adaptando").c_str());
    ::unlink(RutaCopia(real, "adaptado").c_str());
}

BinAdaptado::~BinAdaptado() {
    if (escribiendo_) ::unlink(RutaCopia(RutaReal(ruta_), "adaptando").c_str());
}

BinAdaptado::BinAdaptado(const std::string& rutaBin) : ruta_(rutaBin) {
    std::error_code error;
    const uintmax_t bytes = fs::file_size(rutaBin, error);
    if (!error) cambios_.reserve(bytes / AtributoOcurrencia::kBytes);
}

void BinAdaptado::CambiaMslink(int64_t posicion, int32_t mslink) {
    cambios_.push_back({posicion + AtributoOcurrencia::kPosicionMslink, mslink});
}

// The original in blocks, each with the changes that fall in it.
void BinAdaptado::EscribeCopia(int origen, int copia, const std::string& rutaCopia) const {
    std::vector<uint8_t> bloque(kBloque);
    auto cambio = cambios_.begin();
    for (int64_t inicio = 0;;) {
        const ssize_t n = ::pread(origen, bloque.data(), bloque.size(), inicio);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FallaFichero("Error al leer el fichero", ruta_, errno);
        if (n == 0) break;
        const int64_t fin = inicio + n;
        for (; cambio != cambios_.end() && cambio->posicion < fin; ++cambio) {
            uint8_t bytes[sizeof cambio->mslink];
            escribe32(bytes, cambio->mslink);
            const int64_t hasta = std::min<int64_t>(fin, cambio->posicion + int64_t(sizeof bytes));
            const int64_t desde = std::max<int64_t>(inicio, cambio->posicion);
            std::memcpy(bloque.data() + (desde - inicio), bytes + (desde - cambio->posicion),
                        size_t(hasta - desde));
            if (cambio->posicion + int64_t(sizeof bytes) > fin) break;  // goes on in the next block
        }
        EscribeTodo(copia, bloque.data(), size_t(n), rutaCopia);
        inicio = fin;
    }
}

void BinAdaptado::Prepara() {
    if (cambios_.empty()) return;
    // The walk notes them in the order of the file; a later change of one place wins.
    const auto antes = [](const Cambio& a, const Cambio& b) { return a.posicion < b.posicion; };
    if (!std::is_sorted(cambios_.begin(), cambios_.end(), antes))
        std::stable_sort(cambios_.begin(), cambios_.end(), antes);
    const std::string real = RutaReal(ruta_);
    const std::string copia = RutaCopia(real, "adaptando");
    const int origen = ::open(real.c_str(), O_RDONLY | O_CLOEXEC);
    if (origen < 0) FallaFichero("No se puede abrir el fichero", ruta_, errno);
    struct stat st {};
    ::fstat(origen, &st);
    escribiendo_ = true;
    const int destino = ::open(copia.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (destino < 0) {
        const int error = errno;
        ::close(origen);
        FallaFichero("No se puede crear el fichero", copia, error);
    }
    try {
        EscribeCopia(origen, destino, copia);
        // The owner first: changing it may drop the set-id bits the mode then puts back.
        if (::fchown(destino, st.st_uid, st.st_gid) != 0 && errno != EPERM)
            FallaFichero("No se puede dar su propietario al fichero", copia, errno);
        if (::fchmod(destino, st.st_mode & 07777) != 0)
            FallaFichero("No se pueden dar sus permisos al fichero", copia, errno);
        Sincroniza(destino, copia);
    } catch (...) {
        ::close(destino);
        ::close(origen);
        throw;
    }
    ::close(origen);
    if (::close(destino) != 0) FallaFichero("No se puede guardar el fichero", copia, errno);
    if (::rename(copia.c_str(), RutaCopia(real, "adaptado").c_str()) != 0)
        FallaFichero("No se puede guardar el fichero", copia, errno);
    escribiendo_ = false;
    SincronizaCarpeta(real);
}

}  // namespace pelmora
