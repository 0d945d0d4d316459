#include "tools/pelmora-bdd/Json.h"

#include <cstdio>
#include <stdexcept>

#include "db/engine/Text.h"

namespace pelmora::bdd {

namespace {

using engine::appendUtf8;

class Reader {
  public:
    explicit Reader(const std::string& text) : text_(text) {}

    JsonObject object() {
        JsonObject fields;
        expect('{');
        if (!accept('}')) {
            do {
                skipSpace();
                std::string key = string();
                expect(':');
                fields.emplace_back(std::move(key), scalar());
            } while (accept(','));
            expect('}');
        }
        end();
        return fields;
    }

    JsonScalar scalar() {
        skipSpace();
        JsonScalar value;
        if (peek() == '"') {
            value.kind = JsonScalar::Kind::String;
            value.text = string();
        } else if (word("null")) {
            value.kind = JsonScalar::Kind::Null;
        } else if (word("true")) {
            value.kind = JsonScalar::Kind::Boolean;
            value.boolean = true;
        } else if (word("false")) {
            value.kind = JsonScalar::Kind::Boolean;
        } else {
            value.kind = JsonScalar::Kind::Number;
            value.text = number();
        }
        return value;
    }

    void end() {
        skipSpace();
        if (at_ != text_.size()) fail("sobra texto tras el valor");
    }

  private:
    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("JSON no válido (" + why + ", posición " +
                                 std::to_string(at_ + 1) + ")");
    }
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    bool accept(char c) {
        skipSpace();
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    void expect(char c) {
        if (!accept(c)) fail(std::string("se esperaba «") + c + "»");
    }
    bool word(const char* w) {
        const std::string s = w;
        if (text_.compare(at_, s.size(), s) != 0) return false;
        at_ += s.size();
        return true;
    }

    std::string number() {
        const size_t start = at_;
        const auto digits = [&] {
            const size_t from = at_;
            while (peek() >= '0' && peek() <= '9') ++at_;
            if (at_ == from) fail("se esperaba un valor");
        };
        if (peek() == '-') ++at_;
        digits();
        if (peek() == '.') {
            ++at_;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') ++at_;
            digits();
        }
        return text_.substr(start, at_ - start);
    }

    unsigned hex4() {
        if (at_ + 4 > text_.size()) fail("escape \\u incompleto");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= c - '0';
            else if (c >= 'a' && c <= 'f')
                value |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                value |= c - 'A' + 10;
            else
                fail("escape \\u no válido");
        }
        return value;
    }

    std::string string() {
        if (peek() != '"') fail("se esperaba un texto entre comillas");
        ++at_;
        std::string out;
        while (true) {
            if (at_ >= text_.size()) fail("falta la comilla que cierra el texto");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("carácter de control en un texto");
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = peek();
            ++at_;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    char32_t code = hex4();
                    if (code >= 0xD800 && code < 0xDC00 && word("\\u")) {
                        const unsigned low = hex4();
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(code, out);
                    break;
                }
                default:
                    fail("escape no válido");
            }
        }
    }

    const std::string& text_;
    size_t at_ = 0;
};

}  // namespace

JsonObject parseJsonObject(const std::string& line) {
    return Reader(line).object();
}

bool parseJsonScalar(const std::string& text, JsonScalar& out) {
    try {
        Reader reader(text);
        out = reader.scalar();
        reader.end();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::string jsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

}  // namespace pelmora::bdd
