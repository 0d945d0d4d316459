// The error BIN file a Correlate run starts anew: checked before the run writes
// anything, and the one an earlier run left removed only then.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ficherobin/Modulo_Bin.h"
#include "db/engine/Files.h"

namespace pelmora {

void CompruebaFicheroErrores(const std::string& RutaBin) {
    const std::string nombre = NombreFicheroErrorBin(RutaBin);
    struct stat st {};
    if (::lstat(nombre.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        const std::string prefijo = "No se puede borrar el fichero de errores «" + nombre + "»: ";
        const std::string tipo = engine::notRegularFile(st.st_mode);
        if (!tipo.empty()) throw ErrorFichero(prefijo + tipo);
        if ((st.st_mode & S_IWUSR) == 0) throw ErrorFichero(prefijo + "es de solo lectura");
    }
    if (const int error = ErrorAlCrearEn(nombre))
        throw ErrorFichero("No se puede crear el fichero de errores «" + nombre +
                           "» en su carpeta «" + CarpetaDe(nombre) +
                           "»: " + engine::systemReason(error));
}

void BorraFicheroErrores(const std::string& RutaBin) {
    const std::string nombre = NombreFicheroErrorBin(RutaBin);
    if (::unlink(nombre.c_str()) != 0 && errno != ENOENT)
        FallaFichero("No se puede borrar el fichero de errores", nombre, errno);
}

}  // namespace pelmora
