#include "db/engine/jet/JetFile.h"

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/jet/Properties.h"

namespace pelmora::engine::jet {

JetFile::JetFile(const std::string& path) : pages_(path), header_(readHeader(pages_)) {
    catalog_ = std::make_unique<Catalog>(pages_);
    generation_ = pages_.generation();
}

void JetFile::refresh() {
    if (generation_ == pages_.generation()) return;
    generation_ = pages_.generation();
    reloadCatalog();
}

Catalog& JetFile::catalog() {
    refresh();
    return *catalog_;
}

std::shared_ptr<const JetTable> JetFile::table(const std::string& name) {
    refresh();
    const std::string key = upperCase(name);
    auto found = tables_.find(key);
    if (found != tables_.end()) return found->second;
    const CatalogEntry* entry = catalog_->find(name);
    if (!entry)
        throw Error("No existe la tabla «" + name + "» en la base de datos «" + path() + "»");
    auto table = std::make_shared<JetTable>();
    table->definition = readTableDefinition(pages_, entry->definitionPage, entry->name);
    const std::string properties = catalog_->propertyBlob(*entry);
    setResultTypes(table->definition, properties, pages_, path());
    table->schema =
        schemaOf(table->definition, pages_.format(), pages_.codePage(), properties, path());
    tables_.emplace(key, table);
    return table;
}

void JetFile::forgetTable(const std::string& name) {
    tables_.erase(upperCase(name));
}

void JetFile::noteCounts(const std::string& name, uint32_t rows, uint32_t autoNumber) {
    auto found = tables_.find(upperCase(name));
    if (found == tables_.end()) return;
    found->second->definition.rowCount = rows;
    found->second->definition.autoNumber = autoNumber;
}

void JetFile::reloadCatalog() {
    catalog_ = std::make_unique<Catalog>(pages_);
    tables_.clear();
}

namespace {

Type engineType(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
            return Type::Boolean;
        case ColumnType::Byte:
            return Type::Byte;
        case ColumnType::Integer:
            return Type::Integer;
        case ColumnType::Long:
            return Type::Long;
        case ColumnType::Currency:
            return Type::Currency;
        case ColumnType::Single:
            return Type::Single;
        case ColumnType::Double:
            return Type::Double;
        case ColumnType::DateTime:
            return Type::DateTime;
        case ColumnType::Text:
            return Type::Text;
        case ColumnType::Ole:
            return Type::LongBinary;
        case ColumnType::Memo:
            return Type::Memo;
        case ColumnType::Guid:
            return Type::Guid;
        case ColumnType::Numeric:
        case ColumnType::BigInt:  // as a decimal, exactly
            return Type::Decimal;
        case ColumnType::Complex:  // its complex id
            return Type::Long;
        case ColumnType::ExtendedDateTime:
            return Type::Text;
        default:
            return Type::Binary;
    }
}

bool oneOf(const std::string& word, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (upperCase(word) == w) return true;
    return false;
}

// The value of a DefaultValue expression when it is a plain literal: text in
// quotes, a yes/no word, a number the field holds (converted as a value written
// to it, so never wrapped or cut). Otherwise the expression itself, as text,
// which the field refuses if a new row ever takes it.
Value defaultValue(const std::string& expression, const Destination& where) {
    const std::string e = expression;
    if (e.size() >= 2 && e.front() == '"' && e.back() == '"') {
        std::string inner;
        for (size_t i = 1; i + 1 < e.size(); ++i) {
            inner += e[i];
            if (e[i] == '"' && e[i + 1] == '"') ++i;
        }
        return Value::text(inner);
    }
    if (where.column.type == Type::Boolean) {
        if (oneOf(e, {"TRUE", "YES", "ON", "-1"})) return Value::boolean(true);
        if (oneOf(e, {"FALSE", "NO", "OFF", "0"})) return Value::boolean(false);
    }
    if (isNumberType(where.column.type)) {
        try {
            return fitToColumn(Value::text(e), where);
        } catch (const Error&) {
        }
    }
    return Value::text(e);
}

// Whether a DefaultValue expression is GenGUID(): a new replication ID for each
// new row, the default Access gives its replication-ID autonumbers.
bool makesNewGuid(const std::string& expression) {
    std::string e;
    for (char c : expression)
        if (c != ' ') e += c;
    return upperCase(e) == "GENGUID()" || upperCase(e) == "=GENGUID()";
}

int columnSize(const ColumnDef& c, const Format& f) {
    if (c.type == ColumnType::Text) return f.unicode ? c.length / 2 : c.length;
    if (c.type == ColumnType::Boolean) return 1;
    return c.isLongValue() ? 0 : c.length;
}

}  // namespace

void setResultTypes(TableDefinition& table, const std::string& propertyBlob, const PageFile& file,
                    const std::string& path) {
    const auto properties =
        readColumnProperties(propertyBlob, file.format(), file.codePage(), path, table.name);
    for (ColumnDef& c : table.columns) {
        auto p = properties.find(upperCase(c.name));
        if (c.calculated() && p != properties.end() && p->second.resultType)
            c.resultType = static_cast<ColumnType>(*p->second.resultType);
    }
}

TableSchema schemaOf(const TableDefinition& table, const Format& format, const CodePage& codePage,
                     const std::string& propertyBlob, const std::string& path) {
    const auto properties = readColumnProperties(propertyBlob, format, codePage, path, table.name);
    TableSchema schema;
    schema.name = table.name;
    for (const ColumnDef& c : table.columns) {
        Column column;
        column.name = c.name;
        column.type = engineType(c.calculated() ? c.resultType : c.type);
        column.size = columnSize(c, format);
        column.autoNumber = c.autoNumber();
        auto p = properties.find(upperCase(c.name));
        if (p != properties.end()) {
            column.allowZeroLength = p->second.allowZeroLength.value_or(false);
            column.required = p->second.required.value_or(false);
            const std::optional<std::string>& expression = p->second.defaultValue;
            if (expression && column.type == Type::Guid && makesNewGuid(*expression))
                column.autoNumber = true;
            else if (expression)
                column.defaultValue = defaultValue(*expression, {path, schema.name, column});
        }
        schema.columns.push_back(std::move(column));
    }
    return schema;
}

}  // namespace pelmora::engine::jet
