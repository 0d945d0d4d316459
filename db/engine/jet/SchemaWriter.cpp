#include "db/engine/jet/SchemaWriter.h"

#include <chrono>
#include <ctime>

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/jet/DefinitionWriter.h"
#include "db/engine/jet/IndexDefinitions.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/IndexPages.h"
#include "db/engine/jet/PropertyBlob.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/TextCodec.h"
#include "db/engine/jet/UsageMapEdit.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

constexpr int kMaxName = 64;
constexpr int kMaxText = 255;
constexpr int16_t kTableObject = 1;
constexpr uint8_t kMapInline = 0x00;
constexpr size_t kInlineMapBytes = 64;

ColumnType storedType(const Column& c, const Format& f, const std::string& path) {
    if (c.type == Type::Decimal && !f.unicode)
        throw Error("No se puede crear el campo «" + c.name + "» en «" + path +
                    "»: las bases de datos de Access 97 no tienen el tipo decimal");
    switch (c.type) {
        case Type::Boolean:
            return ColumnType::Boolean;
        case Type::Byte:
            return ColumnType::Byte;
        case Type::Integer:
            return ColumnType::Integer;
        case Type::Long:
            return ColumnType::Long;
        case Type::Currency:
            return ColumnType::Currency;
        case Type::Single:
            return ColumnType::Single;
        case Type::Double:
            return ColumnType::Double;
        case Type::DateTime:
            return ColumnType::DateTime;
        case Type::Text:
            return ColumnType::Text;
        case Type::Memo:
            return ColumnType::Memo;
        case Type::Binary:
            return ColumnType::Binary;
        case Type::LongBinary:
            return ColumnType::Ole;
        case Type::Guid:
            return ColumnType::Guid;
        case Type::Decimal:
            return ColumnType::Numeric;
        default:
            break;
    }
    throw Error("No se puede crear el campo «" + c.name + "» en «" + path + "»: tipo " +
                typeName(c.type) + " desconocido");
}

int textSize(const Column& c, const std::string& path) {
    if (c.type != Type::Text) return 0;
    if (c.size > kMaxText || c.size < 0)
        throw Error("No se puede crear el campo «" + c.name + "» en «" + path +
                    "»: un texto admite hasta " + std::to_string(kMaxText) + " caracteres, no " +
                    std::to_string(c.size));
    return c.size == 0 ? kMaxText : c.size;
}

// The expression a DefaultValue property stores for a value.
std::string defaultExpression(const Value& v) {
    switch (v.type()) {
        case Type::Boolean:
            return v.rawInt() ? "True" : "False";
        case Type::Text:
        case Type::Memo: {
            std::string quoted = "\"";
            for (char c : v.rawText()) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            return quoted + "\"";
        }
        case Type::DateTime:
            return "#" + formatDateTime(v.rawDouble()) + "#";
        default:
            return v.toText();
    }
}

// The column flags of an autonumber as Access stores them: 0x04 a long, 0x40 a
// replication ID (whose GenGUID() default makes the values).
uint8_t autoNumberFlags(const Column& c) {
    if (!c.autoNumber) return 0;
    return c.type == Type::Guid ? 0x40 : 0x04;
}

// The properties a new column keeps in its table's LvProp, as Access writes them.
struct NewProperties {
    bool allowZeroLength = false;
    bool required = false;
    std::optional<std::string> defaultValue;  // the expression

    bool any() const { return allowZeroLength || required || defaultValue; }
    void setIn(PropertyBlob& blob, const std::string& column) const {
        if (allowZeroLength) blob.setBoolean(column, "AllowZeroLength", true);
        if (required) blob.setBoolean(column, "Required", true);
        if (defaultValue) blob.setText(column, "DefaultValue", *defaultValue);
    }
};

NewProperties propertiesOf(const Column& c, const std::string& table, const std::string& path) {
    NewProperties p;
    p.allowZeroLength = c.allowZeroLength;
    p.required = c.required;
    if (c.autoNumber && c.type == Type::Guid) p.defaultValue = "GenGUID()";
    if (c.defaultValue)
        p.defaultValue = defaultExpression(fitToColumn(*c.defaultValue, {path, table, c}));
    return p;
}

double now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return oleDaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec);
}

// A row of a table by column name.
struct RowBuilder {
    const TableSchema& schema;
    RowWriter::Values values;
    explicit RowBuilder(const TableSchema& s) : schema(s), values(s.columns.size()) {}
    void set(const char* column, Value v) {
        const int i = schema.find(column);
        if (i >= 0) values[i] = std::move(v);
    }
};

// What MSysObjects says of the Tables container and of the database's owner.
struct Containers {
    int32_t tablesId = 0;
    Value owner;
};

Containers containers(JetFile& file) {
    auto catalog = file.table("MSysObjects");
    const TableSchema& s = catalog->schema;
    const TableDefinition& t = catalog->definition;
    ValueReader values(file.pages());
    TableScan scan(file.pages(), t);
    Containers found;
    Value tablesOwner;
    while (scan.next()) {
        const Value name = values.read(t.columns[s.find("Name")], scan.row());
        const Value type = values.read(t.columns[s.find("Type")], scan.row());
        if (name.isNull() || type.isNull()) continue;
        if (name.rawText() == "Tables" && type.rawInt() == 3) {
            found.tablesId =
                static_cast<int32_t>(values.read(t.columns[s.find("Id")], scan.row()).rawInt());
            tablesOwner = values.read(t.columns[s.find("Owner")], scan.row());
        } else if (name.rawText() == "MSysDb" && type.rawInt() == 2) {
            found.owner = values.read(t.columns[s.find("Owner")], scan.row());
        }
    }
    if (found.tablesId == 0)
        file.pages().corrupt("al catálogo MSysObjects le falta el contenedor «Tables»");
    if (found.owner.isNull()) found.owner = tablesOwner;
    return found;
}

// The rights the Tables container hands down, as MSysACEs rows for a new table.
void addRights(JetFile& file, RowWriter& rows, int32_t tablesId, int32_t tableId) {
    const int32_t rights = file.pages().format().tableRights;
    const CatalogEntry* entry = file.catalog().find("MSysACEs");
    if (!entry) return;
    auto aces = file.table("MSysACEs");
    const TableSchema& s = aces->schema;
    const TableDefinition& t = aces->definition;
    if (s.find("ObjectId") < 0 || s.find("SID") < 0 || s.find("ACM") < 0 ||
        s.find("FInheritable") < 0)
        return;
    std::vector<Value> sids;
    ValueReader values(file.pages());
    TableScan scan(file.pages(), t);
    while (scan.next()) {
        const Value object = values.read(t.columns[s.find("ObjectId")], scan.row());
        const Value acm = values.read(t.columns[s.find("ACM")], scan.row());
        const Value inheritable = values.read(t.columns[s.find("FInheritable")], scan.row());
        if (!object.isNull() && object.rawInt() == tablesId && !acm.isNull() &&
            acm.rawInt() == rights && inheritable.rawInt() != 0)
            sids.push_back(values.read(t.columns[s.find("SID")], scan.row()));
    }
    for (const Value& sid : sids) {
        RowBuilder row(s);
        row.set("ObjectId", Value::longInt(tableId));
        row.set("SID", sid);
        row.set("ACM", Value::longInt(rights));
        row.set("FInheritable", Value::boolean(false));
        rows.add(*aces, row.values);
    }
}

std::string inFile(const std::string& table, const std::string& path) {
    return "la tabla «" + table + "» de la base de datos «" + path + "»";
}

TextDefaults textDefaults(JetFile& file) {
    return {file.header().sortOrder, file.header().sortVersion, file.pages().codePage().number()};
}

}  // namespace

void checkObjectName(const std::string& name, const std::string& what, const PageFile& file) {
    const std::string& path = file.path();
    const auto refuse = [&](const std::string& why) {
        throw Error("El nombre «" + name + "» no vale para " + what + " en «" + path + "»: " + why);
    };
    if (name.empty()) refuse("está vacío");
    if (characterCount(name) > kMaxName) refuse("tiene más de 64 caracteres");
    if (name.front() == ' ') refuse("empieza por un espacio");
    for (unsigned char c : name) {
        if (c < 0x20) refuse("tiene caracteres de control");
        if (c == '.' || c == '!' || c == '`' || c == '[' || c == ']')
            refuse("tiene alguno de los caracteres . ! ` [ ]");
    }
    encodeName(file.format(), file.codePage(), name,
               "el nombre «" + name + "» para " + what + " en «" + path + "»");
}

template <typename Edit>
void SchemaWriter::operation(const std::string& table, Edit edit) {
    WriteGroup group(file_.pages());
    PageWriter& writer = rows_.pages();
    try {
        edit(writer);
        writer.commit();
        group.end();
    } catch (...) {
        writer.discard();
        file_.forgetTable(table);
        file_.forgetTable("MSysObjects");
        file_.forgetTable("MSysACEs");
        throw;
    }
    file_.forgetTable(table);
    file_.reloadCatalog();
    rows_.indexes().forget();
}

namespace {

// Refuses what Jet adds to the indexes every backend takes: a name Access does
// not accept, more than Access's 32 indexes, a column whose keys the engine
// cannot write.
void checkJetIndexes(const TableDefinition& t, const std::vector<Index>& indexes,
                     const PageFile& file) {
    constexpr size_t kMaxIndexes = 32;
    if (indexes.size() > kMaxIndexes)
        throw Error("No se puede crear " + inFile(t.name, file.path()) + " con " +
                    std::to_string(indexes.size()) + " índices: Access admite hasta 32");
    for (const RealIndex& real : t.realIndexes)
        for (const IndexColumn& c : real.columns) {
            const std::string why = unsupportedKeyColumn(t.columns[c.column], file.format());
            if (!why.empty())
                throw Error("No se puede crear un índice de " + inFile(t.name, file.path()) + ": " +
                            why);
        }
    for (const Index& index : indexes) checkObjectName(index.name, "un índice", file);
}

// An index's usage map on the table's map page and its root: an empty leaf.
void makeIndexTree(PageWriter& writer, Page& maps, const std::string& emptyMap, uint32_t definition,
                   RealIndex& index) {
    const Format& f = writer.format();
    index.usageMap = RowPointer{maps.number(), appendRow(maps, f, emptyMap)}.packed();
    Page& root = writer.allocate();
    index.rootPage = root.number();
    const std::vector<uint8_t> leaf = encodeIndexPage(f, IndexPage{}, definition);
    root.setBytes(0, std::string_view(reinterpret_cast<const char*>(leaf.data()), leaf.size()));
    markInUsageMap(writer, index.usageMap, root.number(), true, "el mapa de uso de un índice");
}

}  // namespace

void SchemaWriter::createTable(const TableSchema& schema, const std::vector<Index>& indexes) {
    const std::string& path = file_.path();
    checkObjectName(schema.name, "una tabla", file_.pages());
    if (file_.catalog().find(schema.name))
        throw Error("No se puede crear la tabla «" + schema.name + "» en «" + path +
                    "»: ya existe una tabla con ese nombre");
    if (schema.columns.empty())
        throw Error("No se puede crear " + inFile(schema.name, path) + " sin campos");
    checkNewColumns(schema, path);
    TableDefinition t;
    t.name = schema.name;
    const Format& format = file_.pages().format();
    PropertyBlob properties("", format, file_.pages().codePage(), path, schema.name);
    bool hasProperties = false;
    for (const Column& c : schema.columns) {
        checkObjectName(c.name, "un campo", file_.pages());
        for (const auto& other : t.columns)
            if (sameName(other.name, c.name))
                throw Error("No se puede crear " + inFile(schema.name, path) + ": el campo «" +
                            c.name + "» está repetido");
        ColumnDef column = newColumn(t, format, storedType(c, format, path), textSize(c, path),
                                     c.name, textDefaults(file_));
        column.flags |= autoNumberFlags(c);
        t.columns.push_back(column);
        ++t.maxColumns;
        if (!column.fixed()) ++t.varColumns;
        const NewProperties p = propertiesOf(c, schema.name, path);
        p.setIn(properties, c.name);
        hasProperties = hasProperties || p.any();
    }
    checkNewIndexes(schema, indexes, path);
    defineIndexes(t, indexes, format);
    checkJetIndexes(t, indexes, file_.pages());
    const Containers where = containers(file_);
    operation(schema.name, [&](PageWriter& writer) {
        const Format& f = writer.format();
        Page& definition = writer.allocate();
        Page& maps = writer.allocate();
        formatDataPage(maps, f, 0);
        const std::string emptyMap =
            std::string(1, char(kMapInline)) + std::string(4 + kInlineMapBytes, '\0');
        t.ownedPages = RowPointer{maps.number(), appendRow(maps, f, emptyMap)}.packed();
        t.freePages = RowPointer{maps.number(), appendRow(maps, f, emptyMap)}.packed();
        for (RealIndex& index : t.realIndexes)
            makeIndexTree(writer, maps, emptyMap, definition.number(), index);
        writeDefinition(writer, {definition.number()},
                        newDefinition(t, f, file_.pages().codePage(), path));

        auto catalog = file_.table("MSysObjects");
        RowBuilder row(catalog->schema);
        const int32_t id = static_cast<int32_t>(definition.number());
        const double created = now();
        row.set("Id", Value::longInt(id));
        row.set("ParentId", Value::longInt(where.tablesId));
        row.set("Name", Value::text(schema.name));
        row.set("Type", Value::integer(kTableObject));
        row.set("DateCreate", Value::dateTime(created));
        row.set("DateUpdate", Value::dateTime(created));
        row.set("Owner", where.owner);
        row.set("Flags", Value::longInt(0));
        if (hasProperties) row.set("LvProp", Value::binary(properties.bytes(), Type::LongBinary));
        rows_.add(*catalog, row.values);
        addRights(file_, rows_, where.tablesId, id);
    });
}

namespace {

// Sets properties of a column in the table's LvProp, within the operation.
template <typename Set>
void editProperties(JetFile& file, RowWriter& rows, const std::string& table, Set set) {
    const CatalogEntry* entry = file.catalog().find(table);
    PropertyBlob blob(file.catalog().propertyBlob(*entry), file.pages().format(),
                      file.pages().codePage(), file.path(), entry->name);
    set(blob);
    auto catalog = file.table("MSysObjects");
    const int lvProp = catalog->schema.find("LvProp");
    RowWriter::Values values;
    {
        PageRef holder;
        RowView view;
        if (!locateRow(file.pages(), catalog->definition, entry->row, holder, view))
            file.pages().corrupt("la fila de la tabla «" + entry->name +
                                 "» en MSysObjects no está");
        ValueReader reader(file.pages());
        for (const auto& c : catalog->definition.columns) values.push_back(reader.read(c, view));
    }
    values[lvProp] = Value::binary(blob.bytes(), Type::LongBinary);
    rows.change(*catalog, entry->row, values);
}

}  // namespace

void SchemaWriter::addColumn(const std::string& table, const Column& column) {
    const std::string& path = file_.path();
    auto t = file_.table(table);
    checkObjectName(column.name, "un campo", file_.pages());
    for (const auto& c : t->definition.columns)
        if (sameName(c.name, column.name))
            throw Error("No se puede añadir el campo «" + column.name + "» a " +
                        inFile(t->schema.name, path) + ": ya tiene un campo con ese nombre");
    checkNewColumn(t->schema, column, path);
    if ((column.required || column.autoNumber) && TableScan(file_.pages(), t->definition).next())
        throw Error("No se puede añadir el campo «" + column.name + "» a " +
                    inFile(t->schema.name, path) + ": es " +
                    (column.required ? "obligatorio" : "autonumérico") +
                    " y los registros que ya tiene la tabla se quedarían sin valor en él");
    const Format& format = file_.pages().format();
    ColumnDef c = newColumn(t->definition, format, storedType(column, format, path),
                            textSize(column, path), column.name, textDefaults(file_));
    c.flags |= autoNumberFlags(column);
    const NewProperties properties = propertiesOf(column, t->schema.name, path);
    operation(t->schema.name, [&](PageWriter& writer) {
        const Format& f = writer.format();
        const std::string bytes = withColumn(definitionBytes(writer, t->definition), t->definition,
                                             c, f, file_.pages().codePage(), path);
        writeDefinition(writer, t->definition.pages, bytes);
        if (properties.any())
            editProperties(file_, rows_, t->schema.name,
                           [&](PropertyBlob& blob) { properties.setIn(blob, column.name); });
    });
}

void SchemaWriter::setDefaultValue(const std::string& table, const std::string& column,
                                   const Value& value) {
    auto t = file_.table(table);
    const int i = t->schema.find(column);
    if (i < 0)
        throw Error("No existe el campo «" + column + "» en " +
                    inFile(t->schema.name, file_.path()));
    const Column& c = t->schema.columns[i];
    const std::string expression =
        defaultExpression(fitToColumn(value, {file_.path(), t->schema.name, c}));
    operation(t->schema.name, [&](PageWriter&) {
        editProperties(file_, rows_, t->schema.name, [&](PropertyBlob& blob) {
            blob.setText(c.name, "DefaultValue", expression);
        });
    });
}

}  // namespace pelmora::engine::jet
