// The one error type of the engine. Its message is Spanish and names the file,
// table, column or statement concerned, because users read it as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace pelmora::engine {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace pelmora::engine
