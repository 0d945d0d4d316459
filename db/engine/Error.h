// The one error type of the engine. Its message is Spanish and names the file,
// table, column or statement concerned, because users read it as it stands; the
// names and values it quotes are shown escaped where they hold bytes that cannot
// be shown (Printable.h).
#pragma once

#include <stdexcept>
#include <string>

#include "db/engine/Printable.h"

namespace pelmora::engine {

class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message) : std::runtime_error(printable(message)) {}
};

}  // namespace pelmora::engine
