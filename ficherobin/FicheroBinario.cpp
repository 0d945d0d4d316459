// Binary files through POSIX descriptors, with one read window of the file in
// memory that writes keep up to date.
#include "ficherobin/FicheroBinario.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "db/engine/Files.h"

namespace pelmora {
namespace {

constexpr std::size_t kVentana = 64 * 1024;

}  // namespace

void FallaFichero(const std::string& que, const std::string& ruta, int error) {
    throw ErrorFichero(que + " «" + ruta + "»: " + engine::systemReason(error));
}

std::string CarpetaDe(const std::string& ruta) {
    const std::string carpeta = std::filesystem::path(ruta).parent_path().string();
    return carpeta.empty() ? "." : carpeta;
}

int ErrorAlCrearEn(const std::string& ruta) {
    return ::access(CarpetaDe(ruta).c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

FicheroBinario::FicheroBinario(std::string ruta, Modo modo) : ruta_(std::move(ruta)), modo_(modo) {
    int banderas = O_CLOEXEC;
    if (modo == Modo::Lectura)
        banderas |= O_RDONLY;
    else
        banderas |= O_RDWR;
    if (modo == Modo::CreaSiFalta) banderas |= O_CREAT;
    do {
        fd_ = ::open(ruta_.c_str(), banderas, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) FallaFichero("No se puede abrir el fichero", ruta_, errno);
    struct stat st {};
    int error = ::fstat(fd_, &st) != 0 ? errno : (S_ISDIR(st.st_mode) ? EISDIR : 0);
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        FallaFichero("No se puede abrir el fichero", ruta_, error);
    }
    longitud_ = st.st_size;
}

FicheroBinario::~FicheroBinario() {
    if (fd_ >= 0) ::close(fd_);
}

void FicheroBinario::cierra() {
    if (fd_ < 0) return;
    int resultado = ::close(fd_);
    fd_ = -1;
    if (resultado != 0 && errno != EINTR) FallaFichero("Error al cerrar el fichero", ruta_, errno);
}

void FicheroBinario::situa(int64_t posicion) {
    if (posicion < 0)
        throw ErrorFichero("Posición no válida (" + std::to_string(posicion) + ") en el fichero «" +
                           ruta_ + "»");
    posicion_ = posicion;
}

// Loads the window from the position on; false when nothing is left to read.
bool FicheroBinario::rellenaVentana(std::size_t minimo) {
    ventanaInicio_ = posicion_;
    ventana_.resize(std::max(kVentana, minimo));
    std::size_t leidos = 0;
    while (leidos < ventana_.size()) {
        ssize_t r = ::pread(fd_, ventana_.data() + leidos, ventana_.size() - leidos,
                            static_cast<off_t>(posicion_ + static_cast<int64_t>(leidos)));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ventana_.clear();
            FallaFichero("Error al leer el fichero", ruta_, errno);
        }
        if (r == 0) break;
        leidos += static_cast<std::size_t>(r);
    }
    ventana_.resize(leidos);
    return leidos > 0;
}

std::size_t FicheroBinario::leeHasta(uint8_t* destino, std::size_t n) {
    if (fd_ < 0) throw ErrorFichero("El fichero «" + ruta_ + "» está cerrado");
    std::size_t hechos = 0;
    while (hechos < n && posicion_ < longitud_) {
        int64_t fin = ventanaInicio_ + static_cast<int64_t>(ventana_.size());
        if ((posicion_ < ventanaInicio_ || posicion_ >= fin) && !rellenaVentana(n - hechos)) break;
        auto desde = static_cast<std::size_t>(posicion_ - ventanaInicio_);
        std::size_t k = std::min(n - hechos, ventana_.size() - desde);
        std::memcpy(destino + hechos, ventana_.data() + desde, k);
        hechos += k;
        posicion_ += static_cast<int64_t>(k);
    }
    return hechos;
}

void FicheroBinario::leeBytes(uint8_t* destino, std::size_t n) {
    int64_t inicio = posicion_;
    if (leeHasta(destino, n) < n) {
        posicion_ = inicio;
        throw ErrorFichero("Fin de fichero inesperado en «" + ruta_ +
                           "»: faltan bytes de un registro de " + std::to_string(n) +
                           " en la posición " + std::to_string(inicio));
    }
}

void FicheroBinario::escribeBytes(const uint8_t* origen, std::size_t n) {
    if (fd_ < 0) throw ErrorFichero("El fichero «" + ruta_ + "» está cerrado");
    if (modo_ == Modo::Lectura)
        throw ErrorFichero("El fichero «" + ruta_ + "» está abierto solo para lectura");
    std::size_t escritos = 0;
    while (escritos < n) {
        ssize_t r = ::pwrite(fd_, origen + escritos, n - escritos,
                             static_cast<off_t>(posicion_ + static_cast<int64_t>(escritos)));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) FallaFichero("Error al escribir en el fichero", ruta_, errno);
        escritos += static_cast<std::size_t>(r);
    }
    // Keep the window equal to the file where the write overlaps it.
    int64_t ventanaFin = ventanaInicio_ + static_cast<int64_t>(ventana_.size());
    int64_t desde = std::max(posicion_, ventanaInicio_);
    int64_t hasta = std::min(posicion_ + static_cast<int64_t>(n), ventanaFin);
    if (desde < hasta)
        std::memcpy(ventana_.data() + (desde - ventanaInicio_), origen + (desde - posicion_),
                    static_cast<std::size_t>(hasta - desde));
    posicion_ += static_cast<int64_t>(n);
    longitud_ = std::max(longitud_, posicion_);
}

}  // namespace pelmora
