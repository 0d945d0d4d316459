// The General sort order's codes from the code lists of the Jackcess project:
// Access 2000-2003 in index_codes_genleg.txt (U+0000-U+00FF) and
// index_codes_ext_genleg.txt (U+0100-U+FFFF without the surrogates), Access 2010
// and later alike in index_codes_gen.txt and index_codes_ext_gen.txt, Access 97
// in index_codes_gen_97.txt (by Windows-1252 byte).
#pragma once

#include <string>
#include <vector>

#include "db/engine/jet/SortCodes.h"

namespace pelmora::codigos {

// Runs of consecutive characters whose inline codes grow by one (SortCodes.h).
// `list`: "genleg" (2000-2003) or "gen" (2010+).
std::vector<engine::jet::SortCodeRun> readRuns(const std::string& folder, const std::string& list);
// The Access 97 list of the same folder (index_codes_gen_97.txt): 256 codes.
std::vector<engine::jet::SortCode> readList97(const std::string& folder);

}  // namespace pelmora::codigos
