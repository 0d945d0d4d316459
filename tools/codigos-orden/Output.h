// The text of SortCodeTables.cpp: its header, the Access 2000-2003 runs and
// the Access 97 tables, each part on its own so that either can be compared.
#pragma once

#include <string>
#include <vector>

#include "tools/codigos-orden/Codes97.h"

namespace pelmora::codigos {

std::string fileStart();
std::string runsPart(const std::vector<engine::jet::SortCodeRun>& runs);
std::string part97(const Codes97& codes);
// The lines of part97 for the bytes read from Access's entries alone.
std::string linesFromEntries97(const Codes97& codes);
std::string fileEnd();

}  // namespace pelmora::codigos
