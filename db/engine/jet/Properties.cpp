#include "db/engine/jet/Properties.h"

#include <vector>

#include "db/engine/Text.h"
#include "db/engine/jet/Bytes.h"
#include "db/engine/jet/TableDefinition.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint16_t kNamesBlock = 0x80;
constexpr uint16_t kColumnBlock = 0x01;

std::string readText(const Bytes& b, size_t at, size_t length, const Format& f,
                     const CodePage& codePage) {
    std::string text;
    decodeName(f, codePage, b.bytes(at, length), text);
    return text;
}

void readEntries(const Bytes& b, size_t at, size_t end, const Format& f, const CodePage& codePage,
                 const std::vector<std::string>& names, ColumnProperties& props) {
    while (at + 8 <= end) {
        const uint16_t length = b.u16(at);
        const auto type = static_cast<ColumnType>(b.u8(at + 3));
        const uint16_t nameIndex = b.u16(at + 4);
        const uint16_t valueLength = b.u16(at + 6);
        if (length < 8 || at + length > end || 8u + valueLength > length)
            b.corrupt("una propiedad mide " + std::to_string(length) + " bytes");
        if (nameIndex >= names.size())
            b.corrupt("una propiedad usa el nombre " + std::to_string(nameIndex) +
                      ", que no está en la lista");
        const std::string name = upperCase(names[nameIndex]);
        std::string_view value = b.bytes(at + 8, valueLength);
        const bool truth = !value.empty() && value[0] != 0;
        if (name == "ALLOWZEROLENGTH" && type == ColumnType::Boolean) props.allowZeroLength = truth;
        if (name == "REQUIRED" && type == ColumnType::Boolean) props.required = truth;
        if (name == "DEFAULTVALUE" && (type == ColumnType::Text || type == ColumnType::Memo))
            props.defaultValue = readText(b, at + 8, valueLength, f, codePage);
        if (name == "RESULTTYPE" && !value.empty()) props.resultType = value[0];
        at += length;
    }
}

}  // namespace

std::map<std::string, ColumnProperties> readColumnProperties(std::string_view blob, const Format& f,
                                                             const CodePage& codePage,
                                                             const std::string& path,
                                                             const std::string& table) {
    std::map<std::string, ColumnProperties> result;
    if (blob.empty()) return result;
    const Bytes b(blob, path, "las propiedades de la tabla «" + table + "»");
    const std::string_view magic = b.bytes(0, 4);
    if (magic != std::string_view("MR2\0", 4) && magic != std::string_view("KKD\0", 4))
        b.corrupt("no empiezan por una marca conocida");
    std::vector<std::string> names;
    for (size_t at = 4; at < b.size();) {
        const uint32_t length = b.u32(at);
        const uint16_t kind = b.u16(at + 4);
        if (length < 6 || length > b.size() - at)
            b.corrupt("un bloque mide " + std::to_string(length) + " bytes");
        const size_t end = at + length;
        if (kind == kNamesBlock) {
            for (size_t p = at + 6; p + 2 <= end;) {
                const uint16_t n = b.u16(p);
                names.push_back(readText(b, p + 2, n, f, codePage));
                p += 2 + n;
            }
        } else if (kind == kColumnBlock) {
            const uint32_t nameBlock = b.u32(at + 6);
            if (nameBlock < 6 || nameBlock > length - 6)
                b.corrupt("un bloque tiene un nombre de " + std::to_string(nameBlock) + " bytes");
            const std::string column = readText(b, at + 12, b.u16(at + 10), f, codePage);
            readEntries(b, at + 6 + nameBlock, end, f, codePage, names, result[upperCase(column)]);
        }
        at = end;
    }
    return result;
}

}  // namespace pelmora::engine::jet
