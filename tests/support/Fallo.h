// What many tests ask: the message of the error an action throws, and the bytes
// of a file (to see that a refused write left it as it was).
#pragma once

#include <functional>
#include <string>

namespace pelmora::prueba {

// The message of the exception `action` throws; "" when it throws none.
std::string errorOf(const std::function<void()>& action);

// The whole file, as bytes; "" when it cannot be read.
std::string contents(const std::string& path);

}  // namespace pelmora::prueba
