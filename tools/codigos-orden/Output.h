// The text of SortCodeTables.cpp: its header, the Access 2000-2003 and 2010+ runs
// and the Access 97 tables, each part on its own so that either can be compared.
#pragma once

#include <string>
#include <vector>

#include "tools/codigos-orden/Codes97.h"

namespace pelmora::codigos {

std::string fileStart();
// The runs as the array `name` ("kGeneral...Runs") and its count ("kGeneral...RunCount").
std::string runsPart(const std::vector<engine::jet::SortCodeRun>& runs, const std::string& name);
std::string part97(const Codes97& codes);
// The lines of part97 for the bytes read from Access's entries alone.
std::string linesFromEntries97(const Codes97& codes);
std::string fileEnd();

}  // namespace pelmora::codigos
