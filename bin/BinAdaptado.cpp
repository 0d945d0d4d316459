#include "bin/BinAdaptado.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "bin/FicheroBinario.h"

namespace pelmora {

namespace {

namespace fs = std::filesystem;

constexpr size_t kBloque = 1 << 20;

std::string RutaReal(const std::string& ruta) {
    std::error_code error;
    const fs::path real = fs::canonical(ruta, error);
    return error ? ruta : real.string();
}

std::string RutaCopia(const std::string& real) {
    const fs::path p(real);
    return (p.parent_path() / ("." + p.filename().string() + ".adaptando")).string();
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

}  // namespace

void BinAdaptado::CompruebaAntes(const std::string& rutaBin) {
    const std::string real = RutaReal(rutaBin);
    struct stat st {};
    if (::stat(real.c_str(), &st) != 0) FallaFichero("No se puede abrir el fichero", rutaBin, errno);
    if (!S_ISREG(st.st_mode))
        throw ErrorFichero("El fichero BIN «" + rutaBin + "» no es un fichero normal");
    if ((st.st_mode & 0222) == 0 || ::access(real.c_str(), R_OK | W_OK) != 0)
        throw ErrorFichero("No se puede adaptar el fichero BIN «" + rutaBin +
                           "»: es de solo lectura");
    if (ErrorAlCrearEn(real) != 0)
        throw ErrorFichero("No se puede adaptar el fichero BIN «" + rutaBin + "»: en su carpeta «" +
                           CarpetaDe(real) + "» no se pueden crear ficheros");
    ::unlink(RutaCopia(real).c_str());
}

BinAdaptado::BinAdaptado(const std::string& rutaBin)
    : ruta_(RutaReal(rutaBin)), copia_(RutaCopia(ruta_)) {}

BinAdaptado::~BinAdaptado() {
    if (escribiendo_) ::unlink(copia_.c_str());
}

void BinAdaptado::Cambia(int64_t posicion, const AtributoOcurrencia& atributo) {
    Cambio cambio{posicion, {}};
    atributo.aBytes(cambio.bytes.data());
    cambios_.push_back(cambio);
}

// The original in blocks, each with the changes that fall in it.
void BinAdaptado::EscribeCopia(int origen, int copia) const {
    std::vector<uint8_t> bloque(kBloque);
    auto cambio = cambios_.begin();
    for (int64_t inicio = 0;;) {
        const ssize_t n = ::pread(origen, bloque.data(), bloque.size(), inicio);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FallaFichero("Error al leer el fichero", ruta_, errno);
        if (n == 0) break;
        const int64_t fin = inicio + n;
        for (; cambio != cambios_.end() && cambio->posicion < fin; ++cambio) {
            const int64_t hasta = std::min<int64_t>(fin, cambio->posicion + int64_t(cambio->bytes.size()));
            const int64_t desde = std::max<int64_t>(inicio, cambio->posicion);
            std::memcpy(bloque.data() + (desde - inicio),
                        cambio->bytes.data() + (desde - cambio->posicion), size_t(hasta - desde));
            if (cambio->posicion + int64_t(cambio->bytes.size()) > fin) break;  // goes on in the next block
        }
        EscribeTodo(copia, bloque.data(), size_t(n), copia_);
        inicio = fin;
    }
}

void BinAdaptado::Termina() {
    if (cambios_.empty()) return;
    std::stable_sort(cambios_.begin(), cambios_.end(),
                     [](const Cambio& a, const Cambio& b) { return a.posicion < b.posicion; });
    const int origen = ::open(ruta_.c_str(), O_RDONLY | O_CLOEXEC);
    if (origen < 0) FallaFichero("No se puede abrir el fichero", ruta_, errno);
    struct stat st {};
    ::fstat(origen, &st);
    escribiendo_ = true;
    const int copia = ::open(copia_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (copia < 0) {
        const int error = errno;
        ::close(origen);
        FallaFichero("No se puede crear el fichero", copia_, error);
    }
    try {
        EscribeCopia(origen, copia);
        // The owner first: changing it may drop the set-id bits the mode then puts back.
        if (::fchown(copia, st.st_uid, st.st_gid) != 0 && errno != EPERM)
            FallaFichero("No se puede dar su propietario al fichero", copia_, errno);
        if (::fchmod(copia, st.st_mode & 07777) != 0)
            FallaFichero("No se pueden dar sus permisos al fichero", copia_, errno);
        Sincroniza(copia, copia_);
    } catch (...) {
        ::close(copia);
        ::close(origen);
        throw;
    }
    ::close(origen);
    if (::close(copia) != 0) FallaFichero("No se puede guardar el fichero", copia_, errno);
    if (::rename(copia_.c_str(), ruta_.c_str()) != 0)
        FallaFichero("No se puede reemplazar el fichero", ruta_, errno);
    escribiendo_ = false;
    const int carpeta = ::open(CarpetaDe(ruta_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (carpeta >= 0) {
        Sincroniza(carpeta, CarpetaDe(ruta_));
        ::close(carpeta);
    }
}

}  // namespace pelmora
