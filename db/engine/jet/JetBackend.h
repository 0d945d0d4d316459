// The backend for Access .mdb files (Jet3 and Jet4).
#pragma once

#include <memory>
#include <string>

#include "db/engine/Backend.h"

namespace pelmora::engine {

std::shared_ptr<Backend> openJetBackend(const std::string& path);

}  // namespace pelmora::engine
