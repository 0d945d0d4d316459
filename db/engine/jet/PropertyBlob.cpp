#include "db/engine/jet/PropertyBlob.h"

#include "db/engine/Text.h"
#include "db/engine/jet/Bytes.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint16_t kNames = 0x80;
constexpr uint16_t kColumn = 0x01;

std::string u16(uint16_t v) {
    return {char(v), char(v >> 8)};
}
std::string u32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// The blob's first four bytes: "MR2" (Jet4) or "KKD" (Jet3), then a zero byte.
std::string_view magic(const Format& format) {
    return format.unicode ? std::string_view("MR2\0", 4) : std::string_view("KKD\0", 4);
}

}  // namespace

bool PropertyBlob::sameStoredName(const std::string& a, const std::string& b) const {
    std::string x, y;
    decodeName(format_, codePage_, a, x);
    decodeName(format_, codePage_, b, y);
    return sameName(x, y);
}

std::string PropertyBlob::stored(const std::string& utf8) const {
    return encodeName(format_, codePage_, utf8, "«" + utf8 + "» en las propiedades de " + where_);
}

PropertyBlob::PropertyBlob(const std::string& blob, const Format& format, const CodePage& codePage,
                           const std::string& path, const std::string& table)
    : format_(format), codePage_(codePage), where_("la tabla «" + table + "» de «" + path + "»") {
    if (blob.empty()) return;
    const Bytes b(blob, path, "las propiedades de la tabla «" + table + "»");
    if (b.bytes(0, 4) != magic(format)) b.corrupt("no empiezan por la marca de su formato");
    for (size_t at = 4; at < b.size();) {
        const uint32_t length = b.u32(at);
        if (length < 6 || length > b.size() - at)
            b.corrupt("un bloque mide " + std::to_string(length) + " bytes");
        const size_t end = at + length;
        Block block;
        block.kind = b.u16(at + 4);
        if (block.kind == kNames) {
            for (size_t p = at + 6; p + 2 <= end; p += 2 + b.u16(p))
                names_.emplace_back(b.bytes(p + 2, b.u16(p)));
            at = end;
            continue;
        }
        if (block.kind == kColumn || block.kind == 0x00) {
            const uint32_t nameBlock = b.u32(at + 6);
            block.name = std::string(b.bytes(at + 12, b.u16(at + 10)));
            for (size_t p = at + 6 + nameBlock; p + 8 <= end;) {
                Entry e;
                const uint16_t entryLength = b.u16(p);
                if (entryLength < 8 || p + entryLength > end)
                    b.corrupt("una propiedad está dañada");
                e.ddl = b.u8(p + 2);
                e.type = b.u8(p + 3);
                e.name = b.u16(p + 4);
                e.value = std::string(b.bytes(p + 8, b.u16(p + 6)));
                block.entries.push_back(std::move(e));
                p += entryLength;
            }
        } else {
            block.raw = std::string(b.bytes(at, length));
        }
        blocks_.push_back(std::move(block));
        at = end;
    }
}

void PropertyBlob::set(const std::string& column, const std::string& property, uint8_t type,
                       std::string value) {
    const std::string name = stored(property);
    uint16_t index = 0;
    while (index < names_.size() && !sameStoredName(names_[index], name)) ++index;
    if (index == names_.size()) names_.push_back(name);
    const std::string columnName = stored(column);
    Block* block = nullptr;
    for (auto& b : blocks_)
        if (b.kind == kColumn && sameStoredName(b.name, columnName)) block = &b;
    if (!block) {
        blocks_.push_back(Block{kColumn, columnName, {}, {}});
        block = &blocks_.back();
    }
    for (auto& e : block->entries)
        if (e.name == index) {
            e.type = type;
            e.value = std::move(value);
            return;
        }
    block->entries.push_back(Entry{1, type, index, std::move(value)});
}

void PropertyBlob::setBoolean(const std::string& column, const std::string& property, bool value) {
    set(column, property, 0x01, std::string(1, value ? '\xFF' : '\0'));
}

void PropertyBlob::setText(const std::string& column, const std::string& property,
                           const std::string& utf8) {
    set(column, property, 0x0C, stored(utf8));
}

std::string PropertyBlob::bytes() const {
    std::string out(magic(format_));
    std::string names;
    for (const auto& n : names_) names += u16(static_cast<uint16_t>(n.size())) + n;
    out += u32(static_cast<uint32_t>(6 + names.size())) + u16(kNames) + names;
    for (const auto& b : blocks_) {
        if (!b.raw.empty()) {
            out += b.raw;
            continue;
        }
        std::string body = u32(static_cast<uint32_t>(6 + b.name.size())) +
                           u16(static_cast<uint16_t>(b.name.size())) + b.name;
        for (const auto& e : b.entries)
            body += u16(static_cast<uint16_t>(8 + e.value.size())) + char(e.ddl) + char(e.type) +
                    u16(e.name) + u16(static_cast<uint16_t>(e.value.size())) + e.value;
        out += u32(static_cast<uint32_t>(6 + body.size())) + u16(b.kind) + body;
    }
    return out;
}

}  // namespace pelmora::engine::jet
