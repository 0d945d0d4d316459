// A table's property blob (layout in Properties.h) taken apart into names and
// blocks so that a writer can set one property of one column and put it back
// together, every other block and entry kept as it was. Names and texts are
// stored as the file's names are (TextCodec.h: UCS-2, or the Jet3 code page).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

class PropertyBlob {
  public:
    // An empty blob gives no blocks; a damaged one is a corrupt-file error.
    PropertyBlob(const std::string& blob, const Format& format, const CodePage& codePage,
                 const std::string& path, const std::string& table);

    // Sets a column's property: a yes/no (type 0x01) or a text (type 0x0C, memo).
    void setBoolean(const std::string& column, const std::string& property, bool value);
    void setText(const std::string& column, const std::string& property, const std::string& utf8);

    std::string bytes() const;

  private:
    struct Entry {
        uint8_t ddl = 1;
        uint8_t type = 0;
        uint16_t name = 0;
        std::string value;
    };
    struct Block {
        uint16_t kind = 0;
        std::string name;  // as stored
        std::vector<Entry> entries;
        std::string raw;  // blocks of other kinds, kept whole
    };
    void set(const std::string& column, const std::string& property, uint8_t type,
             std::string value);
    std::string stored(const std::string& utf8) const;
    bool sameStoredName(const std::string& a, const std::string& b) const;

    const Format& format_;
    const CodePage& codePage_;
    std::string where_;               // the table and file, for messages
    std::vector<std::string> names_;  // as stored
    std::vector<Block> blocks_;
};

}  // namespace pelmora::engine::jet
