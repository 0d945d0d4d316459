#include "db/engine/sqlite/SqlText.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "db/engine/Text.h"

namespace pelmora::engine::sqlite {

std::string quoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

namespace {

std::string quoteText(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

std::string shortestDouble(double d) {
    return std::isfinite(d) ? shortestNumber(d) : "NULL";
}

bool isPlainNumber(const std::string& s) {
    if (s.empty()) return false;
    size_t digits = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            ++digits;
        else if (!(s[i] == '.' || (i == 0 && s[i] == '-')))
            return false;
    }
    return digits > 0;
}

// Tokens of SQL text: enough to find column definitions and their clauses.
enum class Kind { Identifier, Word, String, Blob, Number, Symbol };

struct Token {
    Kind kind;
    std::string text;  // identifiers and strings unquoted; words as written
    size_t begin, end;
};

bool isWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isWordByte(unsigned char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}

// The quoted run at sql[i] that ends with `close`, a doubled `close` standing for one.
std::string quoted(const std::string& sql, size_t& i, char close) {
    std::string out;
    for (++i; i < sql.size(); ++i) {
        if (sql[i] != close) {
            out += sql[i];
        } else if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
            out += close;
            ++i;
        } else {
            ++i;
            break;
        }
    }
    return out;
}

std::vector<Token> tokenize(const std::string& sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        const auto c = static_cast<unsigned char>(sql[i]);
        const size_t begin = i;
        if (c <= ' ') {
            ++i;
            continue;
        }
        if (sql.compare(i, 2, "--") == 0) {
            i = sql.find('\n', i);
            if (i == std::string::npos) i = sql.size();
            continue;
        }
        if (sql.compare(i, 2, "/*") == 0) {
            i = sql.find("*/", i + 2);
            i = i == std::string::npos ? sql.size() : i + 2;
            continue;
        }
        Token token{Kind::Symbol, "", begin, begin};
        if ((c == 'x' || c == 'X') && i + 1 < sql.size() && sql[i + 1] == '\'') {
            ++i;
            token = {Kind::Blob, quoted(sql, i, '\''), begin, 0};
        } else if (c == '\'') {
            token = {Kind::String, quoted(sql, i, '\''), begin, 0};
        } else if (c == '"' || c == '`' || c == '[') {
            token = {Kind::Identifier, quoted(sql, i, c == '[' ? ']' : static_cast<char>(c)), begin,
                     0};
        } else if (isWordStart(c)) {
            while (i < sql.size() && isWordByte(static_cast<unsigned char>(sql[i]))) ++i;
            token = {Kind::Word, sql.substr(begin, i - begin), begin, 0};
        } else if ((c >= '0' && c <= '9') || c == '.') {
            while (i < sql.size() &&
                   (isWordByte(static_cast<unsigned char>(sql[i])) || sql[i] == '.' ||
                    ((sql[i] == '+' || sql[i] == '-') && (sql[i - 1] == 'e' || sql[i - 1] == 'E'))))
                ++i;
            token = {Kind::Number, sql.substr(begin, i - begin), begin, 0};
        } else {
            ++i;
            static const char* pairs[] = {"<>", "!=", "<=", ">=", "==", "||", "<<", ">>"};
            for (const char* pair : pairs)
                if (sql.compare(begin, 2, pair) == 0) i = begin + 2;
            token = {Kind::Symbol, sql.substr(begin, i - begin), begin, 0};
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool isWord(const Token& t, const char* word) {
    return t.kind == Kind::Word && upperCase(t.text) == word;
}
bool isSymbol(const Token& t, const char* symbol) {
    return t.kind == Kind::Symbol && t.text == symbol;
}
bool isName(const Token& t) {
    return t.kind == Kind::Identifier || t.kind == Kind::Word;
}

// Index just past the parenthesis that closes the one at tokens[open].
size_t pastClose(const std::vector<Token>& tokens, size_t open) {
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (isSymbol(tokens[i], "(")) ++depth;
        if (isSymbol(tokens[i], ")") && --depth == 0) return i + 1;
    }
    return tokens.size();
}

// The column named by a CHECK (name <> '') starting at tokens[i] (the CHECK), or "".
std::string emptyTextCheck(const std::vector<Token>& tokens, size_t i) {
    if (i + 5 >= tokens.size() || !isSymbol(tokens[i + 1], "(")) return "";
    const Token& name = tokens[i + 2];
    const Token& op = tokens[i + 3];
    const Token& empty = tokens[i + 4];
    if (isName(name) && (isSymbol(op, "<>") || isSymbol(op, "!=")) && empty.kind == Kind::String &&
        empty.text.empty() && isSymbol(tokens[i + 5], ")"))
        return name.text;
    return "";
}

// The column a CHECK (name IS NOT NULL) at `i` names, or "".
std::string nullCheck(const std::vector<Token>& tokens, size_t i) {
    if (i + 6 >= tokens.size() || !isSymbol(tokens[i + 1], "(")) return "";
    if (isName(tokens[i + 2]) && isWord(tokens[i + 3], "IS") && isWord(tokens[i + 4], "NOT") &&
        isWord(tokens[i + 5], "NULL") && isSymbol(tokens[i + 6], ")"))
        return tokens[i + 2].text;
    return "";
}

bool isTableConstraint(const Token& t) {
    for (const char* word : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
        if (isWord(t, word)) return true;
    return false;
}

}  // namespace

std::string sqlLiteral(const Value& value) {
    switch (value.type()) {
        case Type::Null:
            return "NULL";
        case Type::Boolean:
            return value.rawInt() ? "-1" : "0";
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return std::to_string(value.rawInt());
        case Type::Currency:  // as the columns this engine makes hold it: ten-thousandths
            return std::to_string(value.rawInt());
        case Type::Single:
        case Type::Double:
            return shortestDouble(value.rawDouble());
        case Type::DateTime:
            return quoteText(formatDateTime(value.rawDouble()));
        case Type::Binary:
        case Type::LongBinary: {
            std::string hex = "X'";
            char pair[3];
            for (unsigned char b : value.rawText()) {
                std::snprintf(pair, sizeof pair, "%02X", b);
                hex += pair;
            }
            return hex + "'";
        }
        case Type::Decimal:
            if (isPlainNumber(value.rawText())) return value.rawText();
            return quoteText(value.rawText());
        default:
            return quoteText(value.rawText());
    }
}

std::optional<Value> parseLiteral(const std::string& sql) {
    std::vector<Token> tokens = tokenize(sql);
    bool negative = false;
    if (tokens.size() == 2 && (isSymbol(tokens[0], "-") || isSymbol(tokens[0], "+"))) {
        negative = tokens[0].text == "-";
        tokens.erase(tokens.begin());
    }
    if (tokens.size() != 1) return std::nullopt;
    const Token& t = tokens[0];
    if (t.kind == Kind::String && !negative) return Value::text(t.text);
    if (isWord(t, "TRUE") || isWord(t, "FALSE")) return Value::longInt(isWord(t, "TRUE") ? 1 : 0);
    if (t.kind == Kind::Blob && !negative) {
        std::string bytes;
        for (size_t i = 0; i + 1 < t.text.size(); i += 2)
            bytes += static_cast<char>(std::stoi(t.text.substr(i, 2), nullptr, 16));
        return Value::binary(bytes);
    }
    if (t.kind != Kind::Number) return std::nullopt;
    const std::string number = (negative ? "-" : "") + t.text;
    int64_t whole = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), whole);
    if (error == std::errc() && end == number.data() + number.size() && whole >= INT32_MIN &&
        whole <= INT32_MAX)
        return Value::longInt(static_cast<int32_t>(whole));
    double real = 0;
    auto [realEnd, realError] = std::from_chars(number.data(), number.data() + number.size(), real);
    if (realError != std::errc() || realEnd != number.data() + number.size()) return std::nullopt;
    return Value::dbl(real);
}

std::vector<ColumnDefinition> columnDefinitions(const std::string& createSql) {
    const std::vector<Token> tokens = tokenize(createSql);
    std::vector<ColumnDefinition> columns;
    std::vector<std::string> checkedElsewhere;  // names in table-level CHECK (name <> '')
    size_t open = 0;
    while (open < tokens.size() && !isSymbol(tokens[open], "(")) ++open;
    if (open >= tokens.size()) return columns;  // CREATE TABLE ... AS SELECT
    const size_t close = pastClose(tokens, open) - 1;
    size_t i = open + 1;
    while (i < close) {
        const size_t first = i;
        ColumnDefinition column;
        const bool constraint =
            tokens[first].kind == Kind::Word && isTableConstraint(tokens[first]);
        column.name = tokens[first].text;
        while (i < close && !isSymbol(tokens[i], ",")) {
            if (isWord(tokens[i], "CHECK")) {
                std::string checked = emptyTextCheck(tokens, i);
                if (constraint && !checked.empty()) checkedElsewhere.push_back(checked);
                if (!constraint && !checked.empty() && sameName(checked, column.name))
                    column.forbidsEmpty = true;
                const std::string notNull = nullCheck(tokens, i);
                if (!constraint && !notNull.empty() && sameName(notNull, column.name))
                    column.forbidsNull = true;
            }
            if (!constraint && isWord(tokens[i], "DEFAULT") && i + 1 < close) {
                size_t last = i + 1;
                if (isSymbol(tokens[last], "("))
                    last = pastClose(tokens, last) - 1;
                else if (isSymbol(tokens[last], "-") || isSymbol(tokens[last], "+"))
                    ++last;
                column.defaultBegin = tokens[i].begin;
                column.defaultEnd = tokens[std::min(last, close - 1)].end;
            }
            i = isSymbol(tokens[i], "(") ? pastClose(tokens, i) : i + 1;
        }
        column.end = tokens[std::min(i, close) - 1].end;
        if (!constraint) columns.push_back(std::move(column));
        ++i;  // the comma
    }
    for (const std::string& name : checkedElsewhere)
        for (ColumnDefinition& column : columns)
            if (sameName(column.name, name)) column.forbidsEmpty = true;
    return columns;
}

std::string primaryKeyName(const std::string& createSql) {
    const std::vector<Token> tokens = tokenize(createSql);
    for (size_t i = 0; i + 2 < tokens.size(); ++i)
        if (isWord(tokens[i], "CONSTRAINT") && isName(tokens[i + 1]) &&
            isWord(tokens[i + 2], "PRIMARY"))
            return tokens[i + 1].text;
    return "";
}

std::string withDefault(const std::string& createSql, const ColumnDefinition& column,
                        const std::string& literal) {
    const std::string clause = "DEFAULT " + literal;
    if (column.defaultBegin == std::string::npos)
        return createSql.substr(0, column.end) + " " + clause + createSql.substr(column.end);
    return createSql.substr(0, column.defaultBegin) + clause + createSql.substr(column.defaultEnd);
}

bool isValidCreateStatement(const std::string& createSql) {
    sqlite3* db = nullptr;
    bool valid = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                 sqlite3_exec(db, createSql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return valid;
}

}  // namespace pelmora::engine::sqlite
