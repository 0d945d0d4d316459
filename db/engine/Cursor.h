// The rows of a table as the engine hands them out: a row is a vector of values
// in the table's column order, a RowId the backend's own locator of a row, and a
// Cursor visits the rows a query selected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/engine/Value.h"

namespace pelmora::engine {

using RowId = int64_t;
using Row = std::vector<Value>;
// For a new row, which columns were given a value, an explicit Null included.
using Given = std::vector<bool>;

// The rows a query selected, visited one at a time; values are decoded only
// when asked for, so a scan costs no allocation per row beyond them.
class Cursor {
  public:
    virtual ~Cursor() = default;
    // Moves to the next selected row (the first, on the first call); false at the end.
    virtual bool next() = 0;
    virtual RowId id() const = 0;
    // A value of the current row, by column index in schema order.
    virtual Value value(int column) = 0;
    // How many rows the table says it holds, when it says so cheaply (0 when not):
    // room to set aside before a visit, never a count to rely on.
    virtual size_t sizeHint() const { return 0; }
};

}  // namespace pelmora::engine
