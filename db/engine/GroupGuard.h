// A group of writes held by an object: begun when it is made (Database::beginWrites),
// stored by finish(), or by the destructor when the code that made it ends by an
// error: the writes already made stay, as a walk that fails keeps what it logged,
// and a failure to store them then is not reported over that error. A snapshot for
// reading (Database::beginSnapshot) is held the same way, as long as the object lives.
#pragma once

#include <memory>

#include "db/engine/Database.h"

namespace pelmora::engine {

template <void (Database::*Begin)(), void (Database::*End)()>
class Held {
  public:
    // Begins on `db` now; a null handle holds nothing.
    explicit Held(std::shared_ptr<Database> db) : db_(std::move(db)) {
        if (db_) (*db_.*Begin)();
    }
    ~Held() {
        if (!db_) return;
        try {
            (*db_.*End)();
        } catch (...) {  // the error that ends the code in hand is the one reported
        }
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // Ends it now; a failure is the engine's error.
    void finish() {
        std::shared_ptr<Database> db = std::move(db_);
        if (db) (*db.*End)();
    }

  private:
    std::shared_ptr<Database> db_;
};

using GroupGuard = Held<&Database::beginWrites, &Database::endWrites>;
using SnapshotGuard = Held<&Database::beginSnapshot, &Database::endSnapshot>;

}  // namespace pelmora::engine
