// The error BIN file a Correlate run starts anew and an Adaptation appends to:
// checked before the run writes anything, and the one an earlier run left
// removed (by Correlate) only then.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "db/engine/Files.h"
#include "ficherobin/Modulo_Bin.h"

namespace pelmora {

void CompruebaFicheroErrores(const std::string& RutaBin, UsoErrores uso) {
    const std::string nombre = NombreFicheroErrorBin(RutaBin);
    const bool anade = uso == UsoErrores::Anadido;
    struct stat st {};
    const int visto = anade ? ::stat(nombre.c_str(), &st) : ::lstat(nombre.c_str(), &st);
    if (visto == 0 && !S_ISLNK(st.st_mode)) {
        const std::string prefijo = (anade ? "No se puede añadir al fichero de errores «"
                                           : "No se puede borrar el fichero de errores «") +
                                    nombre + "»: ";
        const std::string tipo = engine::notRegularFile(st.st_mode);
        if (!tipo.empty()) throw ErrorFichero(prefijo + tipo);
        if ((st.st_mode & S_IWUSR) == 0) throw ErrorFichero(prefijo + "es de solo lectura");
        if (anade) return;  // appended to where it is
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
