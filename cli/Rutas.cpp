#include "cli/Rutas.h"

#include <filesystem>

#include "db/engine/Database.h"

namespace pelmora {

std::string RutaAbsoluta(const std::string& ruta) {
    if (engine::isServerAddress(ruta)) return engine::withoutPassword(ruta);
    return std::filesystem::absolute(ruta).lexically_normal().string();
}

}  // namespace pelmora
