// The report files, each put in place whole: written beside under a hidden name,
// flushed to disk, then renamed over the old one.
#include "lote/Informe.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "db/engine/Files.h"

namespace pelmora::lote {

namespace {

std::string extension(const std::string& ruta) {
    std::string e = std::filesystem::path(ruta).extension().string();
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
    return e;
}

// Writes the whole text and flushes it; returns 0 or the error number.
int escribeEntero(int fd, const std::string& texto) {
    size_t hecho = 0;
    while (hecho < texto.size()) {
        ssize_t n = ::write(fd, texto.data() + hecho, texto.size() - hecho);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        hecho += static_cast<size_t>(n);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

int64_t sumaContadores(const ResultadoProceso& r) {
    if (!r.contadores) return -1;
    int64_t suma = 0;
    for (int32_t n : *r.contadores) suma += n;
    return suma;
}

bool esInforme(const std::string& ruta) {
    const std::string e = extension(ruta);
    return e == ".json" || e == ".html";
}

void guardaInforme(const ResultadoLote& lote, const std::string& ruta) {
    std::ostringstream texto;
    if (extension(ruta) == ".json")
        escribeJson(lote, texto);
    else
        escribeHtml(lote, texto);
    const std::filesystem::path p(ruta);
    const std::string parcial =
        (p.parent_path() / ("." + p.filename().string() + ".parcial")).string();
    const int fd = ::open(parcial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        error = escribeEntero(fd, texto.str());
        ::close(fd);
        if (error == 0 && ::rename(parcial.c_str(), ruta.c_str()) != 0) error = errno;
        if (error != 0) ::unlink(parcial.c_str());
    }
    if (error != 0)
        throw std::runtime_error("No se puede escribir el informe «" + ruta +
                                 "»: " + engine::systemReason(error));
}

}  // namespace pelmora::lote
