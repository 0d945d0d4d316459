#include "db/engine/jet/RowWriter.h"

#include "db/engine/Error.h"
#include "db/engine/jet/LongValueWriter.h"
#include "db/engine/jet/RowEncoder.h"
#include "db/engine/jet/RowView.h"
#include "db/engine/jet/TablePages.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

std::string inTable(const JetFile& file, const TableDefinition& t) {
    return "la tabla «" + t.name + "» de la base de datos «" + file.path() + "»";
}

// The row's fields: long values written (or kept, when unchanged) on the way.
std::vector<Field> fieldsOf(PageWriter& writer, TablePages& pages, const TableDefinition& t,
                            const RowWriter::Values& values,
                            const std::vector<std::string>* oldLong,
                            const RowWriter::Values* before) {
    const PageFile& file = writer.file();
    const RowTarget target{file.format(), file.codePage(), file.path(), t.name};
    std::vector<Field> fields(t.columns.size());
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnDef& c = t.columns[i];
        const Value& v = values[i];
        if (c.type == ColumnType::Boolean) {
            fields[i].bit = !v.isNull() && v.rawInt() != 0;
        } else if (!v.isNull() && !c.isLongValue()) {
            fields[i].bytes = encodeValue(c, target, v);
        } else if (!v.isNull() && before && (*before)[i] == v && !(*oldLong)[i].empty()) {
            fields[i].bytes = (*oldLong)[i];  // an unchanged long value stays where it is
        } else if (!v.isNull()) {
            const std::string data =
                c.type == ColumnType::Memo ? encodeText(c, target, v.rawText()) : v.rawText();
            fields[i].bytes = writeLongValue(writer, pages, data);
        }
    }
    return fields;
}

// A row of a table with a column the writer cannot store exactly is not written
// at all: not even its other columns, on which a calculated column may depend.
void requireWritableColumns(const JetFile& file, const TableDefinition& t) {
    for (const ColumnDef& c : t.columns) {
        const std::string why = unwritableColumn(c);
        if (!why.empty())
            throw Error("No se puede escribir en " + inTable(file, t) + ": el campo «" + c.name +
                        "» " + why);
    }
}

void checkLength(const JetFile& file, const TableDefinition& t, const std::string& row,
                 const Format& f) {
    if (row.size() > maxRowLength(f))
        throw Error("El registro no cabe en " + inTable(file, t) + ": ocupa " +
                    std::to_string(row.size()) + " bytes y una fila admite " +
                    std::to_string(maxRowLength(f)));
}

void setTableCounts(PageWriter& writer, const TableDefinition& t, uint32_t rows,
                    uint32_t autoNumber) {
    const Format& f = writer.format();
    Page& first = writer.edit(t.pages.front());
    first.set32(f.tdefRowCount, rows);
    first.set32(f.tdefAutoNumber, autoNumber);
}

}  // namespace

PageWriter& RowWriter::pages() {
    if (!pages_ || generation_ != file_.pages().generation()) {
        generation_ = file_.pages().generation();
        places_.clear();
        pages_ = std::make_unique<PageWriter>(file_.pages());
        store_ = std::make_unique<WriterIndexStore>(*pages_);
        indexes_ = std::make_unique<IndexWriter>(file_, *store_);
    }
    return *pages_;
}

IndexWriter& RowWriter::indexes() {
    pages();
    return *indexes_;
}

RowPointer RowWriter::insert(const JetTable& table, Values values) {
    RowPointer place;
    inOneOperation([&] { place = add(table, std::move(values)); });
    return place;
}

RowPointer RowWriter::add(const JetTable& table, Values values) {
    const TableDefinition& t = table.definition;
    if (values.size() != t.columns.size())
        throw Error("Se escriben " + std::to_string(values.size()) + " valores en " +
                    inTable(file_, t) + ", que tiene " + std::to_string(t.columns.size()) +
                    " campos");
    requireWritableColumns(file_, t);
    PageWriter& writer = pages();
    const Format& f = writer.format();
    PageRef first = writer.read(t.pages.front());
    uint32_t autoNumber = first->u32(f.tdefAutoNumber);
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnDef& c = t.columns[i];
        if (!(c.flags & 0x04) || c.type != ColumnType::Long) continue;
        if (values[i].isNull())
            values[i] = Value::longInt(static_cast<int32_t>(++autoNumber));
        else if (values[i].rawInt() > int64_t(autoNumber))
            autoNumber = static_cast<uint32_t>(values[i].rawInt());
    }
    indexes().checkInsert(table, values);
    TablePages pages(writer, t, places_[t.pages.front()]);
    const std::string row = assembleRow(t, f, fieldsOf(writer, pages, t, values, nullptr, nullptr));
    checkLength(file_, t, row, f);
    Page& page = pages.rowPage(row.size());
    const RowPointer place{page.number(), appendRow(page, f, row)};
    pages.noteFreeSpace(page);
    const uint32_t rows = first->u32(f.tdefRowCount) + 1;
    setTableCounts(writer, t, rows, autoNumber);
    indexes().inserted(table, place, values);
    file_.noteCounts(t.name, rows, autoNumber);
    return place;
}

namespace {

// Where an existing row's data lies: at its slot, or where its slot points.
struct StoredRow {
    RowPointer data;
    RowSpan span;  // of the data
    bool moved = false;
};

StoredRow locate(PageWriter& writer, const JetFile& file, const TableDefinition& t,
                 RowPointer slot) {
    const Format& f = writer.format();
    PageRef page = writer.read(slot.page, "un registro");
    if (page->type() != PageType::Data || dataPageOwner(*page) != t.pages.front() ||
        slot.row >= rowCount(*page, f) || rowSpan(*page, f, slot.row).deleted)
        throw Error("El registro que se modifica ya no existe en " + inTable(file, t));
    StoredRow stored{slot, rowSpan(*page, f, slot.row), false};
    if (stored.span.moved) {
        if (stored.span.length() < 4) page->corrupt("una fila movida no dice adónde");
        stored.moved = true;
        stored.data = RowPointer::from(page->u32(stored.span.start));
        PageRef to = writer.read(stored.data.page, "una fila movida");
        if (to->type() != PageType::Data || dataPageOwner(*to) != t.pages.front() ||
            stored.data.row >= rowCount(*to, f))
            to->corrupt("una fila movida de la tabla «" + t.name + "» apunta a donde no hay fila");
        stored.span = rowSpan(*to, f, stored.data.row, true);
    }
    return stored;
}

// The values of the stored row, and the headers of its long values.
void readRow(PageWriter& writer, JetFile& file, const TableDefinition& t, const StoredRow& stored,
             RowWriter::Values& values, std::vector<std::string>& longHeaders) {
    PageRef page = writer.read(stored.data.page);
    RowView view;
    view.set(*page, stored.span.start, stored.span.end, writer.format(), t.varColumns > 0);
    ValueReader reader(file.pages());
    values.reserve(t.columns.size());
    for (size_t i = 0; i < t.columns.size(); ++i) {
        values.push_back(reader.read(t.columns[i], view));
        std::string_view raw;
        if (t.columns[i].isLongValue() && view.columnBytes(t.columns[i], raw)) longHeaders[i] = raw;
    }
}

}  // namespace

// The row as stored before an update: where its data lies, its values and the
// headers of its long values.
struct RowWriter::Current {
    StoredRow stored;
    Values values;
    std::vector<std::string> longHeaders;
};

RowWriter::Current RowWriter::current(const TableDefinition& t, RowPointer slot) {
    Current row{locate(pages(), file_, t, slot), {}, std::vector<std::string>(t.columns.size())};
    readRow(pages(), file_, t, row.stored, row.values, row.longHeaders);
    return row;
}

void RowWriter::update(const JetTable& table, RowPointer slot, const Values& values) {
    const TableDefinition& t = table.definition;
    if (values.size() != t.columns.size())
        throw Error("Se escriben " + std::to_string(values.size()) + " valores en " +
                    inTable(file_, t) + ", que tiene " + std::to_string(t.columns.size()) +
                    " campos");
    inOneOperation([&] { change(table, slot, values); });
}

void RowWriter::updateColumn(const JetTable& table, RowPointer slot, size_t column,
                             const Value& value) {
    inOneOperation([&] {
        requireWritableColumns(file_, table.definition);
        if (setBitInPlace(table, slot, column, value)) return;
        const Current before = current(table.definition, slot);
        Values values = before.values;
        values.at(column) = value;
        replace(table, slot, before, values);
    });
}

// A yes/no value is its bit in the row's null mask. When no index holds the
// column, setting it rewrites that bit alone and nothing else of the row, as the
// walk's marks do by the million. A row older than the column has no such bit
// and takes the general way.
bool RowWriter::setBitInPlace(const JetTable& table, RowPointer slot, size_t column,
                              const Value& value) {
    const TableDefinition& t = table.definition;
    const ColumnDef& c = t.columns.at(column);
    if (c.type != ColumnType::Boolean || value.isNull() || indexes().holds(table, column))
        return false;
    PageWriter& writer = pages();
    const StoredRow stored = locate(writer, file_, t, slot);
    RowView view;
    view.set(*writer.read(stored.data.page), stored.span.start, stored.span.end, writer.format(),
             t.varColumns > 0);
    const size_t at = view.bitByte(c.number);
    if (at == 0) return false;
    Page& page = writer.edit(stored.data.page);
    const uint8_t bit = static_cast<uint8_t>(1u << (c.number % 8));
    page.set8(at, value.rawInt() != 0 ? page.u8(at) | bit : page.u8(at) & ~bit);
    return true;
}

void RowWriter::inOneOperation(const std::function<void()>& operation) {
    WriteGroup group(file_.pages());
    PageWriter& writer = pages();
    try {
        operation();
        writer.commit();
    } catch (...) {
        writer.discard();
        places_.clear();
        throw;
    }
    group.end();
}

void RowWriter::change(const JetTable& table, RowPointer slot, const Values& values) {
    replace(table, slot, current(table.definition, slot), values);
}

void RowWriter::replace(const JetTable& table, RowPointer slot, const Current& before,
                        const Values& values) {
    requireWritableColumns(file_, table.definition);
    indexes().checkUpdate(table, slot, before.values, values);
    placeUpdate(table.definition, slot, before, values);
    indexes().updated(table, slot, before.values, values);
}

// The row's new bytes where they fit: in place, back at its slot, or moved.
void RowWriter::placeUpdate(const TableDefinition& t, RowPointer slot, const Current& current,
                            const Values& values) {
    PageWriter& writer = pages();
    const Format& f = writer.format();
    const StoredRow& stored = current.stored;
    const std::vector<std::string>& oldLong = current.longHeaders;
    const Values& before = current.values;

    TablePages pages(writer, t, places_[t.pages.front()]);
    const std::string row =
        assembleRow(t, f, fieldsOf(writer, pages, t, values, &oldLong, &before));
    checkLength(file_, t, row, f);
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (!oldLong[i].empty() && !(before[i] == values[i]))
            removeLongValue(writer, pages, oldLong[i]);

    const uint16_t dataFlags = stored.moved ? kRowDeleted : 0;
    Page& dataPage = writer.edit(stored.data.page);
    if (row.size() <= stored.span.length() + freeSpace(dataPage)) {
        replaceRow(dataPage, f, stored.data.row, row, dataFlags);  // in place
        pages.noteFreeSpace(dataPage);
        return;
    }
    Page& slotPage = writer.edit(slot.page);
    const RowSpan slotSpan = rowSpan(slotPage, f, slot.row, true);
    if (stored.moved && row.size() <= slotSpan.length() + freeSpace(slotPage)) {
        replaceRow(slotPage, f, slot.row, row);  // back at its slot
    } else {
        Page& target = pages.rowPage(row.size(), stored.data.page);
        const RowPointer to{target.number(), appendRow(target, f, row, kRowDeleted)};
        pages.noteFreeSpace(target);
        const uint32_t packed = to.packed();
        const std::string pointer{char(packed), char(packed >> 8), char(packed >> 16),
                                  char(packed >> 24)};
        replaceRow(writer.edit(slot.page), f, slot.row, pointer, kRowMoved);
    }
    if (stored.moved) {  // the old data, left behind
        Page& old = writer.edit(stored.data.page);
        const RowSpan span = rowSpan(old, f, stored.data.row, true);
        old.set16(f.dataRowTable + 2 * stored.data.row, span.start | kRowDeleted | kRowMoved);
    }
    pages.noteFreeSpace(writer.edit(slot.page));
}

}  // namespace pelmora::engine::jet
