// Addresses of PostgreSQL databases: a libpq URI (postgresql://user@host:port/db?...)
// given where a database file would be, or a connection file holding one on its
// first line. What the program shows and records is the address without its password.
#pragma once

#include <optional>
#include <string>

namespace pelmora::engine::postgresql {

// The extension of a connection file, and the name of its filter in the dialogs.
inline constexpr const char* kConnectionFileExtension = ".pgconn";

// Whether `text` is a libpq URI (postgresql:// or postgres://).
bool isAddress(const std::string& text);

// The URI with any password removed, from the user part and from the parameters:
// the form every message, log and control row shows.
std::string withoutPassword(const std::string& uri);

// The password the URI holds (decoded), or "" when it holds none.
std::string passwordOf(const std::string& uri);

// The URI on the first line of a connection file's bytes, or nothing when the
// bytes do not start with one.
std::optional<std::string> addressInFile(const std::string& bytes);

}  // namespace pelmora::engine::postgresql
