// The backend for databases on a PostgreSQL server, through libpq.
#pragma once

#include <memory>
#include <string>

#include "db/engine/Backend.h"

namespace pelmora::engine {

// Connects to the database of a libpq URI; `password` serves when the URI has none.
std::shared_ptr<Backend> openPostgresBackend(const std::string& uri, const std::string& password);

}  // namespace pelmora::engine
