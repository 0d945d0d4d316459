#include "db/engine/jet/CodePage.h"

#include <iconv.h>

#include <cstdio>

#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

constexpr char32_t kUnassigned = 0xFFFD;

// The character of one byte through the C library's converter; kUnassigned for
// a byte the code page leaves unassigned.
char32_t convertByte(iconv_t converter, uint8_t byte) {
    char in = static_cast<char>(byte);
    char32_t c = 0;
    char* from = &in;
    size_t fromLeft = 1;
    char* to = reinterpret_cast<char*>(&c);
    size_t toLeft = sizeof c;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &fromLeft, &to, &toLeft) == size_t(-1) ||
        iconv(converter, nullptr, nullptr, &to, &toLeft) == size_t(-1) || toLeft != 0)
        return kUnassigned;
    return c;
}

}  // namespace

CodePage::CodePage() {
    for (int b = 0; b < 256; ++b) characters_[b] = fromWindows1252(static_cast<uint8_t>(b));
    index();
}

const CodePage& CodePage::windows1252() {
    static const CodePage table;
    return table;
}

CodePage::CodePage(uint16_t number, const std::string& path) : number_(number ? number : 1252) {
    if (number_ == 1252) {
        *this = windows1252();
        return;
    }
    const std::string name = "CP" + std::to_string(number_);
    iconv_t converter = iconv_open("UTF-32LE", name.c_str());
    const bool oneByte = number_ < 900 || (number_ >= 1250 && number_ <= 1258);
    if (converter == iconv_t(-1) || !oneByte) {
        if (converter != iconv_t(-1)) iconv_close(converter);
        throw Error("No se puede leer el texto de la base de datos «" + path +
                    "»: está escrito en la página de códigos " + std::to_string(number_) +
                    ", que este programa no conoce");
    }
    for (int b = 0; b < 256; ++b) characters_[b] = convertByte(converter, static_cast<uint8_t>(b));
    iconv_close(converter);
    index();
}

void CodePage::index() {
    for (int b = 0x80; b < 256; ++b)
        if (characters_[b] != kUnassigned) bytes_.emplace(characters_[b], static_cast<uint8_t>(b));
}

void CodePage::decode(std::string_view bytes, std::string& out) const {
    out.reserve(out.size() + bytes.size());
    for (char b : bytes) {
        const char32_t c = characters_[static_cast<uint8_t>(b)];
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            appendUtf8(c, out);
    }
}

std::string CodePage::encode(std::string_view utf8, std::optional<char32_t>& missing) const {
    std::string out;
    out.reserve(utf8.size());
    missing.reset();
    for (char32_t c : codePoints(utf8)) {
        if (c < 0x80 && characters_[c] == c) {
            out += static_cast<char>(c);
            continue;
        }
        const auto found = bytes_.find(c);
        if (found == bytes_.end()) {
            missing = c;
            return out;
        }
        out += static_cast<char>(found->second);
    }
    return out;
}

std::string describeCharacter(char32_t c) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(c));
    std::string shown = "«";
    appendUtf8(c, shown);
    return shown + "» (" + number + ")";
}

}  // namespace pelmora::engine::jet
