// The backend for SQLite files, through libsqlite3.
#pragma once

#include <memory>
#include <string>

#include "db/engine/Backend.h"

namespace pelmora::engine {

std::shared_ptr<Backend> openSqliteBackend(const std::string& path);
std::shared_ptr<Backend> createSqliteBackend(const std::string& path);

}  // namespace pelmora::engine
