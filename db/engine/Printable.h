// Text as a message shows it. Names, paths and values come from files and from
// the user and may hold any byte: a NUL would cut the message short wherever it
// is read as a C string, a control character would garble the line or the
// terminal, and bytes that are not UTF-8 would reach the window as replacement
// marks. Every message that quotes such text goes through here.
#pragma once

#include <string>
#include <string_view>

namespace pelmora::engine {

// The text with its printable UTF-8 characters as they are and every other byte
// (control characters, C1 controls included, and bytes that are not valid UTF-8)
// written as \xNN. Printable text comes back unchanged, so applying it twice
// changes nothing.
std::string printable(std::string_view text);

}  // namespace pelmora::engine
