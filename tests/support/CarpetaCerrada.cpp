#include "tests/support/CarpetaCerrada.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora::prueba {

namespace {

// Sets or clears the immutable flag; false when the file system or the user
// cannot.
bool Inmutable(const std::string& carpeta, bool si) {
    const int fd = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int banderas = 0;
    bool hecho = ::ioctl(fd, FS_IOC_GETFLAGS, &banderas) == 0;
    banderas = si ? banderas | FS_IMMUTABLE_FL : banderas & ~FS_IMMUTABLE_FL;
    hecho = hecho && ::ioctl(fd, FS_IOC_SETFLAGS, &banderas) == 0;
    ::close(fd);
    return hecho;
}

}  // namespace

CarpetaCerrada::CarpetaCerrada(std::string carpeta) : carpeta_(std::move(carpeta)) {
    ::chmod(carpeta_.c_str(), 0555);
    if (::geteuid() == 0) inmutable_ = Inmutable(carpeta_, true);
    cerrada_ = ::access(carpeta_.c_str(), W_OK) != 0;
}

CarpetaCerrada::~CarpetaCerrada() {
    if (inmutable_) Inmutable(carpeta_, false);
    ::chmod(carpeta_.c_str(), 0755);
}

}  // namespace pelmora::prueba
