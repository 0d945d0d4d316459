#include "db/engine/sqlite/SqliteBackend.h"

#include "db/engine/Error.h"

namespace pelmora::engine {

std::shared_ptr<Backend> openSqliteBackend(const std::string& path) {
    throw Error("Las bases de datos SQLite aún no se admiten: «" + path + "»");
}

std::shared_ptr<Backend> createSqliteBackend(const std::string& path) {
    throw Error("Las bases de datos SQLite aún no se admiten: «" + path + "»");
}

}  // namespace pelmora::engine
