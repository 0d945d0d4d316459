// A group of writes held by an object: begun when it is made (Database::beginWrites),
// stored by finish(), or by the destructor when the code that made it ends by an
// error: the writes already made stay, as a walk that fails keeps what it logged,
// and a failure to store them then is not reported over that error. And a snapshot
// for reading held the same way, as long as the object lives.
#pragma once

#include <memory>

#include "db/engine/Database.h"

namespace pelmora::engine {

class GroupGuard {
  public:
    // Groups the writes to `db` from now on; a null handle groups nothing.
    explicit GroupGuard(std::shared_ptr<Database> db);
    ~GroupGuard();
    GroupGuard(const GroupGuard&) = delete;
    GroupGuard& operator=(const GroupGuard&) = delete;

    // Stores the group; a failure is the engine's error.
    void finish();

  private:
    std::shared_ptr<Database> db_;
};

class SnapshotGuard {
  public:
    // Reads `db` as one moment from now on; a null handle takes no snapshot.
    explicit SnapshotGuard(std::shared_ptr<Database> db);
    ~SnapshotGuard();
    SnapshotGuard(const SnapshotGuard&) = delete;
    SnapshotGuard& operator=(const SnapshotGuard&) = delete;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace pelmora::engine
