#include "db/engine/jet/CalculatedValue.h"

#include <cstring>

#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kLengthAt = 16;
constexpr size_t kResultAt = 20;
constexpr size_t kDecimalLength = 16;

template <typename T>
T little(std::string_view bytes) {
    T v;
    std::memcpy(&v, bytes.data(), sizeof v);  // the host is little-endian, as the file
    return v;
}

void appendLittle(uint32_t v, std::string& out) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

}  // namespace

std::string_view calculatedResult(std::string_view stored, const PageFile& file,
                                  const std::string& column) {
    if (stored.size() < kResultAt)
        file.corrupt("el valor calculado de la columna «" + column + "» mide " +
                     std::to_string(stored.size()) + " bytes, menos que su cabecera");
    const uint32_t length = little<uint32_t>(stored.substr(kLengthAt));
    if (length > stored.size() - kResultAt)
        file.corrupt("el valor calculado de la columna «" + column + "» dice medir " +
                     std::to_string(length) + " bytes y solo hay " +
                     std::to_string(stored.size() - kResultAt));
    return stored.substr(kResultAt, length);
}

std::string calculatedDecimalText(std::string_view result, const PageFile& file,
                                  const std::string& column) {
    if (result.size() < kDecimalLength)
        file.corrupt("el decimal calculado de la columna «" + column + "» mide " +
                     std::to_string(result.size()) + " bytes, no 16");
    const int scale = static_cast<uint8_t>(result[2]);
    if (scale > 28)
        file.corrupt("el decimal calculado de la columna «" + column + "» tiene " +
                     std::to_string(scale) + " decimales, más de los 28 posibles");
    // The stored decimal form of rows: sign byte, then four u32, most significant first.
    std::string stored(1, result[3]);
    const uint64_t low = little<uint64_t>(result.substr(8));
    appendLittle(0, stored);
    appendLittle(little<uint32_t>(result.substr(4)), stored);
    appendLittle(static_cast<uint32_t>(low >> 32), stored);
    appendLittle(static_cast<uint32_t>(low), stored);
    return decimalText(stored, scale);
}

}  // namespace pelmora::engine::jet
