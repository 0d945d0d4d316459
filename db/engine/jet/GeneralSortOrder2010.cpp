// The General sort order of Access 2010 and later (text columns of sort version 1).
// Its keys are written as Jet4's (GeneralSortOrder.cpp), with the codes of that order
// for the characters of the Basic Multilingual Plane (SortCodeTables.cpp); characters
// beyond it keep their Jet4 codes without the 'Z' flag, as Access's own entries show.
#include "db/engine/jet/SortCodes.h"

namespace pelmora::engine::jet {

namespace {

SortCode code2010(char16_t c) {
    if (c < 0xD800 || c >= 0xE000) return codeFromRuns(kGeneral2010Runs, kGeneral2010RunCount, c);
    SortCode jet4 = generalCode(c);
    jet4.kind = 'I';
    return jet4;
}

}  // namespace

void appendGeneral2010Text(std::string_view utf8, bool ascending, std::string& out) {
    appendGeneralKey(indexedUnits(utf8), code2010, ascending, out);
}

}  // namespace pelmora::engine::jet
