// Column properties from a table's property blob (MSysObjects.LvProp):
//   "MR2\0" (Jet4) or "KKD\0" (Jet3), then blocks: u32 length (the 6 header
//   bytes included), u16 kind. Kind 0x80 lists the property names (u16 byte
//   length + text each). Kinds 0x00 (the table itself) and 0x01 (one column)
//   hold a name part (u32 length including itself, then u16 length + the
//   column's name) and then entries: u16 entry length (itself included), u8 DDL
//   flag, u8 value type (a column type code), u16 index into the names, u16
//   value length, the value.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

struct ColumnProperties {
    std::optional<bool> allowZeroLength;
    std::optional<bool> required;
    std::optional<std::string> defaultValue;  // the expression as stored, e.g. "0", "\"x\""
    std::optional<uint8_t> resultType;        // calculated columns: the results' type code
};

// By upper-cased column name. An empty blob gives an empty map.
std::map<std::string, ColumnProperties> readColumnProperties(std::string_view blob,
                                                             const Format& format,
                                                             const CodePage& codePage,
                                                             const std::string& path,
                                                             const std::string& table);

}  // namespace pelmora::engine::jet
