// The one way the Jet backend reports a damaged file: a Spanish message that
// names the file and says what is wrong with it.
#pragma once

#include <string>

namespace pelmora::engine::jet {

[[noreturn]] void corrupt(const std::string& path, const std::string& what);

}  // namespace pelmora::engine::jet
