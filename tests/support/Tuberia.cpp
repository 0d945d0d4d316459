#include "tests/support/Tuberia.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace pelmora::prueba {

Tuberia::Tuberia(const std::string& ruta) {
    if (::mkfifo(ruta.c_str(), 0644) != 0) throw std::runtime_error("mkfifo: " + ruta);
    fd_ = ::open(ruta.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("open: " + ruta);
    // Filled up to its capacity, which lasts for several mistaken reads.
    const std::string basura(4096, 'x');
    while (::write(fd_, basura.data(), basura.size()) > 0) {
    }
}

Tuberia::~Tuberia() {
    ::close(fd_);
}

}  // namespace pelmora::prueba
