#include "db/engine/GroupGuard.h"

namespace pelmora::engine {

GroupGuard::GroupGuard(std::shared_ptr<Database> db) : db_(std::move(db)) {
    if (db_) db_->beginWrites();
}

GroupGuard::~GroupGuard() {
    if (!db_) return;
    try {
        db_->endWrites();
    } catch (...) {
    }
}

void GroupGuard::finish() {
    std::shared_ptr<Database> db = std::move(db_);
    if (db) db->endWrites();
}

SnapshotGuard::SnapshotGuard(std::shared_ptr<Database> db) : db_(std::move(db)) {
    if (db_) db_->beginSnapshot();
}

SnapshotGuard::~SnapshotGuard() {
    if (!db_) return;
    try {
        db_->endSnapshot();
    } catch (...) {  // read only: there is nothing to lose
    }
}

}  // namespace pelmora::engine
