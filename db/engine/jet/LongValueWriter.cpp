#include "db/engine/jet/LongValueWriter.h"

#include <cstring>
#include <unordered_set>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/RowEncoder.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint32_t kInline = 0x80000000;
constexpr uint32_t kSingleRow = 0x40000000;
constexpr uint32_t kFlags = 0xC0000000;
constexpr size_t kHeader = 12;

std::string u32(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> 8 * i);
    return out;
}

uint32_t readU32(std::string_view bytes, size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

RowPointer appendLongRow(TablePages& pages, const Format& f, std::string_view bytes) {
    Page& page = pages.longValuePage(bytes.size());
    const int row = appendRow(page, f, bytes);
    return {page.number(), row};
}

}  // namespace

std::string writeLongValue(PageWriter& writer, TablePages& pages, std::string_view data) {
    const Format& f = writer.format();
    const uint32_t length = static_cast<uint32_t>(data.size());
    if (data.size() <= kInlineLongValue)
        return u32(length | kInline) + u32(0) + u32(0) + std::string(data);
    const size_t room = maxRowLength(f);
    if (data.size() <= room) {
        const RowPointer at = appendLongRow(pages, f, data);
        return u32(length | kSingleRow) + u32(at.packed()) + u32(0);
    }
    // A chain, written last piece first so that each row knows the next one's place.
    const size_t piece = room - 4;
    const size_t count = (data.size() + piece - 1) / piece;
    RowPointer next{0, 0};
    for (size_t k = count; k-- > 0;) {
        const std::string_view chunk = data.substr(k * piece, piece);
        next = appendLongRow(pages, f, u32(next.packed()) + std::string(chunk));
    }
    return u32(length) + u32(next.packed()) + u32(0);
}

void removeLongValue(PageWriter& writer, TablePages& pages, std::string_view header) {
    if (header.size() < kHeader) return;
    const uint32_t word = readU32(header, 0);
    if (word & kInline) return;
    const Format& f = writer.format();
    RowPointer at = RowPointer::from(readU32(header, 4));
    std::unordered_set<uint32_t> seen;
    while ((at.page != 0 || at.row != 0) && seen.insert(at.packed()).second) {
        PageRef page = writer.read(at.page, "un valor largo");
        if (page->type() != PageType::Data || at.row >= rowCount(*page, f)) return;
        const RowSpan span = rowSpan(*page, f, at.row);
        if (span.deleted) return;
        const RowPointer next = (word & kFlags) == 0 && span.length() >= 4
                                    ? RowPointer::from(page->u32(span.start))
                                    : RowPointer{0, 0};
        Page& edited = writer.edit(at.page);
        edited.set16(f.dataRowTable + 2 * at.row, span.start | kRowDeleted | kRowMoved);
        pages.noteFreeSpace(edited);
        at = next;
    }
}

}  // namespace pelmora::engine::jet
