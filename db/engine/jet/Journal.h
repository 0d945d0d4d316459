// The rollback journal of a write group: before a group changes a page of the
// database, the page's former image is written to "<file>-journal" beside it
// and flushed to the disk; the journal is removed once the group's pages are in
// the file. A journal found complete is a group cut short (a killed process, a
// power cut): putting its images back returns the file to what it was before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::engine::jet {

std::string journalPath(const std::string& database);

// Writes and flushes the journal of a group that will change `pages` (numbers
// below the file's current end, read from `databaseFd` as they stand now) of a
// file of `originalSize` bytes. A journal that cannot be written whole is removed
// and reported (a full disk named as such); the database is then untouched.
void writeJournal(const std::string& database, int databaseFd, uint32_t pageSize,
                  uint64_t originalSize, const std::vector<uint32_t>& pages);

// Removes the journal once the group's pages are flushed to the database.
void removeJournal(const std::string& database);

enum class JournalState { None, Incomplete, Complete };
// What lies beside the database: no journal, one cut short while being written
// (the database was not touched yet), or a complete one.
JournalState journalState(const std::string& database);

// Puts back the images of a complete journal into the database (open for writing),
// cuts the file to its former size, flushes it and removes the journal. An
// incomplete journal is only removed. Returns whether images were put back.
bool rollBack(const std::string& database, int databaseFd);

// Flushes a folder's entries (a file created or removed in it) to the disk.
void syncFolderOf(const std::string& path);

}  // namespace pelmora::engine::jet
