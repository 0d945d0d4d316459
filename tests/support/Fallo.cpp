#include "tests/support/Fallo.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pelmora::prueba {

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace pelmora::prueba
