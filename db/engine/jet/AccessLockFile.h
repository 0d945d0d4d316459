// The Access lock file ("x.ldb" beside "x.mdb", "x.laccdb" beside "x.accdb"):
// Access lists there, in records of 64 bytes (computer name, user name), who has
// the database open, and keeps byte-range locks on it while they do. A writer never writes into a
// database that a live user holds open, and never truncates or removes a lock file that is not its
// own; a lock file nobody holds (left by a program that ended) is left as it is.
#pragma once

#include <string>

#include "db/engine/jet/FileIo.h"

namespace pelmora::engine::jet {

class AccessLockFile {
  public:
    explicit AccessLockFile(const std::string& database);
    ~AccessLockFile() { leave(); }
    AccessLockFile(const AccessLockFile&) = delete;
    AccessLockFile& operator=(const AccessLockFile&) = delete;

    // Before writing: an Error naming the users when someone holds the lock file;
    // otherwise, where there is none, one of this process's own, held until leave().
    void enter();
    // Removes the lock file this process made, if any.
    void leave();
    // Who the lock file lists, as "«user» en el equipo «computer»" ("" when none).
    std::string users() const;

  private:
    bool heldByOthers() const;

    std::string path_;
    std::string database_;
    OwnedFd own_;  // the lock file this process made, locked while it lives
};

}  // namespace pelmora::engine::jet
