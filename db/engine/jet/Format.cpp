#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

const Format kJet3 = {
    .version = 3, .pageSize = 2048, .unicode = false,
    .maskedLength = 126, .sortOrderOffset = 0x3A, .sortVersionOffset = -1,
    .dataRowCount = 8, .dataRowTable = 10, .tdefTagged = true, .tdefMarker = -1,
    .tdefRowCount = 12, .tdefAutoNumber = 16, .tdefTableType = 20, .tdefMaxColumns = 21,
    .tdefVarColumns = 23, .tdefColumns = 25, .tdefIndexes = 27, .tdefRealIndexes = 31,
    .tdefOwnedPages = 35, .tdefFreePages = 39, .tdefHeaderSize = 43, .realIndexCountSize = 8,
    .columnSize = 18, .colType = 0, .colMarker = 7, .colNumber = 1, .colVarIndex = 3,
    .colPosition = 5, .colSortOrder = 9,
    .colCodePage = 11, .colPrecision = 11, .colFlags = 13, .colExtFlags = -1,
    .colFixedOffset = 14, .colLength = 16, .nameLengthSize = 1,
    .realIndexSize = 39, .realIndexSkip = 0, .realIndexFlags = 8, .logicalIndexSize = 20, .logicalIndexSkip = 0,
    .rowCountSize = 1, .tableRights = 0xFFEFF,
    .indexPrev = 8, .indexNext = 12, .indexTail = 16, .indexPrefixLength = 20, .indexPrefixLengthSize = 1,
    .indexEntryMask = 22, .indexEntries = 0xF8,
};

const Format kJet4 = {
    .version = 4, .pageSize = 4096, .unicode = true,
    .maskedLength = 128, .sortOrderOffset = 0x6E, .sortVersionOffset = 0x71,
    .dataRowCount = 12, .dataRowTable = 14, .tdefTagged = false, .tdefMarker = 12,
    .tdefRowCount = 16, .tdefAutoNumber = 20, .tdefTableType = 40, .tdefMaxColumns = 41,
    .tdefVarColumns = 43, .tdefColumns = 45, .tdefIndexes = 47, .tdefRealIndexes = 51,
    .tdefOwnedPages = 55, .tdefFreePages = 59, .tdefHeaderSize = 63, .realIndexCountSize = 12,
    .columnSize = 25, .colType = 0, .colMarker = 1, .colNumber = 5, .colVarIndex = 7,
    .colPosition = 9, .colSortOrder = 11,
    .colCodePage = -1, .colPrecision = 11, .colFlags = 15, .colExtFlags = 16,
    .colFixedOffset = 21, .colLength = 23, .nameLengthSize = 2,
    .realIndexSize = 52, .realIndexSkip = 4, .realIndexFlags = 12, .logicalIndexSize = 28, .logicalIndexSkip = 4,
    .rowCountSize = 2, .tableRights = 0xFFF7F,
    .indexPrev = 12, .indexNext = 16, .indexTail = 20, .indexPrefixLength = 24, .indexPrefixLengthSize = 2,
    .indexEntryMask = 27, .indexEntries = 0x1E0,
};

}  // namespace pelmora::engine::jet
