// The code page of an Access 97 file's text: one byte a character, in the code
// page the database header names (0 stands for Windows-1252). A table of the 256
// characters is made once per open file; writing looks each character up in it
// and refuses, never replaces, a character the code page cannot hold.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pelmora::engine::jet {

class CodePage {
  public:
    // Windows-1252, the code page of most Access 97 files and of every Jet4 name.
    CodePage();
    static const CodePage& windows1252();
    // The code page numbered `number` (0: Windows-1252). A code page of more than
    // one byte a character, or one the system cannot convert, is an Error naming
    // the file (`path`).
    CodePage(uint16_t number, const std::string& path);

    uint16_t number() const { return number_; }
    // Appends the UTF-8 form of stored bytes to `out`.
    void decode(std::string_view bytes, std::string& out) const;
    // The stored bytes of UTF-8 text; the first character the code page cannot
    // hold when there is one.
    std::string encode(std::string_view utf8, std::optional<char32_t>& missing) const;

  private:
    void index();

    uint16_t number_ = 1252;
    std::array<char32_t, 256> characters_{};
    std::unordered_map<char32_t, uint8_t> bytes_;  // characters at or above 0x80
};

// The character as the user reads it in a message: itself and its U+ number.
std::string describeCharacter(char32_t c);

}  // namespace pelmora::engine::jet
