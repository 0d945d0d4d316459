#include "db/engine/EqualKey.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "db/engine/Text.h"

namespace pelmora::engine {

void appendTextKey(std::string& key, const std::string& text) {
    const size_t start = key.size();
    appendUpperCase(text, key);
    const auto length = static_cast<uint32_t>(key.size() - start);
    key.append(reinterpret_cast<const char*>(&length), sizeof length);
}

void appendNumberKey(std::string& key, double number) {
    if (number == 0) number = 0.0;
    if (std::isnan(number)) number = std::numeric_limits<double>::quiet_NaN();
    key.append(reinterpret_cast<const char*>(&number), sizeof number);
}

}  // namespace pelmora::engine
