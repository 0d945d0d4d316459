#include "db/engine/jet/JetBackend.h"

#include "db/engine/Error.h"

namespace pelmora::engine {

std::shared_ptr<Backend> openJetBackend(const std::string& path) {
    throw Error("Las bases de datos de Access (.mdb) aún no se admiten: «" + path + "»");
}

}  // namespace pelmora::engine
