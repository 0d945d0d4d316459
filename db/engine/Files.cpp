#include "db/engine/Files.h"

#include <cerrno>
#include <cstring>

namespace pelmora::engine {

std::string systemReason(int error) {
    switch (error) {
        case ENOENT:
            return "no existe";
        case EACCES:
        case EPERM:
            return "permiso denegado";
        case EISDIR:
            return "es una carpeta, no un fichero";
        case ENOTDIR:
            return "una parte de la ruta no es una carpeta";
        case ENAMETOOLONG:
            return "la ruta es demasiado larga";
        case ENOSPC:
        case EDQUOT:
            return "no queda espacio en el disco";
        case EFBIG:
            return "el fichero ha llegado al tamaño máximo permitido";
        case EROFS:
            return "el sistema de ficheros es de solo lectura";
        case EMFILE:
        case ENFILE:
            return "hay demasiados ficheros abiertos";
        case EIO:
            return "error de entrada/salida del disco";
        default:
            return "error del sistema " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

std::string notRegularFile(mode_t mode) {
    if (S_ISREG(mode)) return "";
    if (S_ISDIR(mode)) return "es una carpeta";
    if (S_ISFIFO(mode)) return "es una tubería con nombre (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "es un dispositivo";
    if (S_ISSOCK(mode)) return "es un socket";
    return "no es un fichero normal";
}

}  // namespace pelmora::engine
