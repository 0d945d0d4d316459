// The engine's rows against the two independent readers (see jet_compare.h).
#include "jet_compare.h"

#include <QJsonDocument>
#include <algorithm>
#include <cmath>

#include "db/engine/Database.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"

using namespace pelmora::engine;

namespace pelmora::test {

const char* oracleType(Type t) {
    switch (t) {
        case Type::Boolean:
            return "boolean";
        case Type::Byte:
            return "byte";
        case Type::Integer:
            return "integer";
        case Type::Long:
            return "long";
        case Type::Currency:
            return "currency";
        case Type::Single:
            return "float";
        case Type::Double:
            return "double";
        case Type::DateTime:
            return "datetime";
        case Type::Binary:
            return "binary";
        case Type::Text:
            return "text";
        case Type::LongBinary:
            return "ole";
        case Type::Memo:
            return "memo";
        case Type::Guid:
            return "repid";
        case Type::Decimal:
            return "numeric";
        default:
            return "?";
    }
}

std::string show(const QJsonValue& v) {
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}

std::string show(const Value& v) {
    return v.isNull() ? "Null" : show(plain(v));
}

std::vector<Row> engineRows(Database& backend, const std::string& table, size_t columns) {
    std::vector<Row> rows;
    Query q;
    q.table = table;
    auto cursor = backend.select(q);
    while (cursor->next()) {
        Row row;
        for (size_t i = 0; i < columns; ++i) row.push_back(cursor->value(static_cast<int>(i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Whether any row of the table was moved elsewhere (its slot points to its data).
bool hasMovedRows(const std::string& file, const std::string& table) {
    pelmora::engine::jet::JetFile jet(file);
    auto t = jet.table(table);
    pelmora::engine::jet::TableScan scan(jet.pages(), t->definition);
    while (scan.next()) {
        auto place = scan.position();
        auto page = jet.pages().page(place.page);
        if (pelmora::engine::jet::rowSpan(*page, jet.pages().format(), place.row).moved)
            return true;
    }
    return false;
}

namespace {

bool knownToOracles(int type) {
    return (type >= 0x01 && type <= 0x0C) || type == 0x0F || type == 0x10 ||
           (type >= 0x12 && type <= 0x14);
}

}  // namespace

std::set<QString> columnsOraclesMisread(const std::string& file, const std::string& table) {
    pelmora::engine::jet::JetFile jet(file);
    std::set<QString> names;
    for (const auto& c : jet.table(table)->definition.columns)
        if (!knownToOracles(static_cast<int>(c.type)) || c.calculated())
            names.insert(QString::fromStdString(c.name));
    return names;
}

namespace {

std::string upperGuid(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '{' || c == '}'; }),
            s.end());
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string withReplacementChars(std::string s) {
    for (const char* c1 : {"\xC2\x81", "\xC2\x8D", "\xC2\x8F", "\xC2\x90", "\xC2\x9D"})
        for (size_t at; (at = s.find(c1)) != std::string::npos;) s.replace(at, 2, "\xEF\xBF\xBD");
    return s;
}

// Bytes cut at a zero byte, as mdbtools shows them: a prefix that ends where a zero byte is.
bool cutAtZero(const std::string& full, const std::string& shown) {
    return full == shown ||
           (full.compare(0, shown.size(), shown) == 0 && full[shown.size()] == '\0');
}

}  // namespace

bool sameAsMdbReader(const Value& v, const QJsonValue& want) {
    if (want.isObject() && want.toObject().contains("complex")) return v.type() == Type::Long;
    if (v.type() == Type::Guid && want.isString())
        return upperGuid(v.rawText()) == upperGuid(want.toString().toStdString());
    if (v.type() == Type::DateTime && want.isObject()) {
        const double ms = std::round((v.rawDouble() - 25569) * 86400000.0);
        return ms == want.toObject()["ms"].toDouble();
    }
    if (v.isText() && want.isString())
        return withReplacementChars(v.rawText()) == want.toString().toStdString();
    return plain(v) == want;
}

// The engine's value against mdbtools' (key absent = Null or empty text).
bool sameAsMdbtools(const Value& v, const QJsonObject& row, const QString& key) {
    const bool binary = v.type() == Type::Binary || v.type() == Type::LongBinary;
    if (!row.contains(key) || row[key].isNull())
        return v.isNull() || (v.isText() && v.rawText().empty()) ||
               (binary && cutAtZero(v.rawText(), ""));
    const QJsonValue want = row[key];
    switch (v.type()) {
        case Type::Null:
            return false;
        case Type::Boolean:
            return want.toInt() == (v.rawInt() ? 1 : 0);
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return want.toDouble() == static_cast<double>(v.rawInt());
        case Type::Currency:
            return std::fabs(want.toDouble() - v.rawInt() / 10000.0) < 1e-9;
        case Type::Single:
            return std::fabs(want.toDouble() - v.rawDouble()) <= 1e-6 * std::fabs(v.rawDouble());
        case Type::Double:
        case Type::Decimal:
            return std::fabs(want.toDouble(std::nan("")) - v.toDouble()) <=
                   1e-9 * std::max(1.0, std::fabs(v.toDouble()));
        case Type::DateTime:
            return v.rawDouble() < 2 ||
                   want.toString().toStdString() == formatDateTime(v.rawDouble());
        case Type::Guid:
            return true;
        case Type::Binary:
        case Type::LongBinary: {
            const QByteArray base64 = want.toObject()["$binary"].toString().toLatin1();
            return cutAtZero(v.rawText(), QByteArray::fromBase64(base64).toStdString());
        }
        default: {  // iconv shows the bytes Windows-1252 leaves unassigned as '?', and a
                    // character beyond U+FFFF as "??"; C strings end at a zero character
            std::string text = withReplacementChars(v.rawText());
            text = text.substr(0, text.find('\0'));
            for (size_t at = 0; at < text.size(); ++at)
                if (static_cast<uint8_t>(text[at]) >= 0xF0) text.replace(at, 4, "??");
            for (size_t at; (at = text.find("\xEF\xBF\xBD")) != std::string::npos;)
                text.replace(at, 3, "?");
            return want.toString().toStdString() == text;
        }
    }
}

void expectSound(const std::string& file) {
    for (const auto& p : openDatabase(file)->verify()) ADD_FAILURE() << file << ": " << p;
}

void expectReadersAgree(const std::string& file, const std::string& table) {
    SCOPED_TRACE(file + " / " + table);
    auto db = openDatabase(file);
    const TableSchema schema = db->schema(table);
    const auto rows = engineRows(*db, table, schema.columns.size());
    compareRows(file, table, schema, rows, mdbtoolsRows(file, table), sameAsMdbtools, "mdbtools");
    const auto oracle = mdbReaderDump({file});
    if (oracle.empty()) return;
    const OracleTable& t = oracle.at(file).at(schema.name);
    ASSERT_TRUE(t.error.empty()) << t.error;
    compareRows(
        file, table, schema, rows, t.rows,
        [](const Value& v, const QJsonObject& row, const QString& key) {
            return sameAsMdbReader(v, row[key]);
        },
        "mdb-reader");
}

}  // namespace pelmora::test
