// The commands of pelmora-bdd, each over the engine's interface only, so that
// they work on every file the engine opens. Each returns the exit code.
#pragma once

#include <iostream>

#include "db/engine/Schema.h"
#include "tools/pelmora-bdd/Arguments.h"

namespace pelmora::bdd {

// Access keeps its own tables under the prefixes MSys and USys; they are shown only
// on request, and never copied.
bool isSystemTable(const std::string& name);

int runTables(const Arguments& args, std::ostream& out);
int runSchema(const Arguments& args, std::ostream& out);
// An index as `indexes` shows it: NAME:COLUMN[ desc][,COLUMN...][:unique|:primary].
std::string formatIndexText(const engine::Index& index);
int runIndexes(const Arguments& args, std::ostream& out);
int runDump(const Arguments& args, std::ostream& out);
int runCheck(const Arguments& args, std::ostream& out);

int runCreate(const Arguments& args, std::ostream& out);
int runCreateTable(const Arguments& args, std::ostream& out);
int runAddColumn(const Arguments& args, std::ostream& out);
int runInsert(const Arguments& args, std::istream& in, std::ostream& out);
int runUpdate(const Arguments& args, std::ostream& out);
int runCopy(const Arguments& args, std::ostream& out);

}  // namespace pelmora::bdd
