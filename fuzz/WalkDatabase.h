// The Particular database the BIN target's walk looks records up in: a few catalog
// tables with records, laid out as the sample sheets lay theirs, built once per
// process as an SQLite file; each input's walk works on a fresh copy of it.
#pragma once

#include <filesystem>

#include "core/Estado.h"

namespace pelmora::fuzz {

// Copies the database into `folder` as "hoja.db3", opens it as the state's Particular
// database and gives the state the catalogs that go with it.
void prepareWalk(Estado& estado, const std::filesystem::path& folder);

}  // namespace pelmora::fuzz
