// The bytes a value takes in a row, for every column kind but text (whose encoding
// depends on the file, TextCodec.h): numbers little-endian, decimals as a sign and a
// scaled magnitude, replication IDs with their first three groups swapped, binaries
// as they are. The row encoder and the index keys share it, so that an index entry
// is always derived from exactly the bytes its row holds.
#pragma once

#include <cstring>
#include <string>

#include "db/engine/Value.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// A number as the file stores it (the host is little-endian, as the file).
template <typename T>
std::string littleEndian(T value) {
    std::string out(sizeof value, '\0');
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

// The bytes of a non-Null value of column `c`, text aside. A decimal with more
// digits than the column's scale is rounded half away from zero; a replication ID
// that is not 32 hexadecimal digits is an Error.
std::string storedBytes(const ColumnDef& c, const Value& v);

// The length of a value of a fixed-length kind in a row; 0 for the kinds kept
// elsewhere (yes/no in the null mask) or at variable length.
size_t fixedLength(ColumnType type);

}  // namespace pelmora::engine::jet
