// The rows a query selects from a stored table. Unordered, it filters a table
// scan as it goes, decoding only the columns the conditions and the caller ask
// for. Ordered, it first collects each matching row's sort value and place,
// sorts them stably (Nulls first) and then visits the rows in that order.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "db/engine/Backend.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

class JetCursor : public Cursor {
  public:
    JetCursor(std::shared_ptr<JetFile> file, std::shared_ptr<const JetTable> table,
              const Query& query);

    bool next() override;
    RowId id() const override { return current_.packed(); }
    Value value(int column) override;
    size_t sizeHint() const override { return table_->definition.rowCount; }

  private:
    struct Bound {
        int column;
        Condition condition;
    };
    bool accepted(RowView& row);
    void sortRows(int column);

    std::shared_ptr<JetFile> file_;
    std::shared_ptr<const JetTable> table_;
    std::vector<Bound> conditions_;
    TableScan scan_;
    ValueReader values_;
    RowView* row_ = nullptr;
    RowPointer current_;
    // Ordered queries only: the rows in order, and where the visit is.
    bool ordered_ = false;
    std::vector<RowPointer> order_;
    size_t next_ = 0;
    PageRef holder_;
    RowView orderedRow_;
};

}  // namespace pelmora::engine::jet
