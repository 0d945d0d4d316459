// The statement parser: turns "Select T.* from T [WHERE cond] [ORDER BY col];"
// or a bare table name into a Query. Identifiers may start with a digit
// (199ETIQUETAS); keywords are case-insensitive; text literals use '' for a quote.
#include "db/engine/Query.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "db/engine/Error.h"
#include "db/engine/Text.h"

namespace pelmora::engine {

namespace {

enum class Token { Word, Text, Symbol, End };

struct Lexeme {
    Token kind = Token::End;
    std::string text;  // the word, the literal's content, or the symbol
    size_t offset = 0;
};

bool isWordByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' ||
           b >= 0x80;
}

bool isDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

class Parser {
  public:
    explicit Parser(const std::string& statement) : source_(statement) { lex(); }

    Query parse() {
        Query query;
        if (tokens_.size() <= 3 && peek().kind == Token::Word && !isKeyword(peek(), "SELECT")) {
            query.table = take(Token::Word, "un nombre de tabla").text;
            optionalSemicolon();
            return query;
        }
        keyword("SELECT");
        query.table = take(Token::Word, "un nombre de tabla").text;
        symbol(".");
        symbol("*");
        keyword("FROM");
        const std::string from = take(Token::Word, "un nombre de tabla").text;
        if (!sameName(from, query.table))
            fail("la tabla de «" + query.table + ".*» no es la de FROM");
        if (acceptKeyword("WHERE")) condition(query);
        if (acceptKeyword("ORDER")) {
            keyword("BY");
            query.orderBy = columnName(query.table);
            if (acceptKeyword("DESC")) fail("solo se admite el orden ascendente");
            acceptKeyword("ASC");
        }
        optionalSemicolon();
        return query;
    }

  private:
    void lex() {
        size_t i = 0;
        while (i < source_.size()) {
            const char c = source_[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i;
            } else if (isWordByte(c)) {
                size_t start = i;
                while (i < source_.size() && isWordByte(source_[i])) ++i;
                tokens_.push_back({Token::Word, source_.substr(start, i - start), start});
            } else if (c == '\'') {
                tokens_.push_back(textLiteral(i));
            } else {
                size_t start = i++;
                std::string symbol(1, c);
                if ((c == '<' && i < source_.size() && (source_[i] == '=' || source_[i] == '>')) ||
                    (c == '>' && i < source_.size() && source_[i] == '='))
                    symbol += source_[i++];
                tokens_.push_back({Token::Symbol, symbol, start});
            }
        }
        tokens_.push_back({Token::End, "", source_.size()});
    }

    // A literal in single quotes starting at source_[i]; '' inside stands for one quote.
    Lexeme textLiteral(size_t& i) {
        Lexeme literal{Token::Text, "", i};
        for (++i; i < source_.size(); ++i) {
            if (source_[i] != '\'') {
                literal.text += source_[i];
            } else if (i + 1 < source_.size() && source_[i + 1] == '\'') {
                literal.text += '\'';
                ++i;
            } else {
                ++i;
                return literal;
            }
        }
        failAt(literal.offset, "falta la comilla que cierra el texto");
    }

    // cond := term (AND term)* ; term := '(' cond ')' | column op literal
    // Each parenthesis is a call deeper: their nesting is bounded so that no statement
    // can exhaust the stack.
    void condition(Query& query) {
        do {
            if (acceptSymbol("(")) {
                if (++depth_ > kMaxDepth)
                    fail("hay más de " + std::to_string(kMaxDepth) + " paréntesis anidados");
                condition(query);
                symbol(")");
                --depth_;
            } else {
                comparison(query);
            }
        } while (acceptKeyword("AND"));
    }

    void comparison(Query& query) {
        Condition c;
        c.column = columnName(query.table);
        const Lexeme& op = peek();
        static const std::pair<const char*, Comparison> operators[] = {
            {"=", Comparison::Equal},         {"<", Comparison::Less},
            {">", Comparison::Greater},       {"<=", Comparison::LessEqual},
            {">=", Comparison::GreaterEqual}, {"<>", Comparison::NotEqual}};
        bool found = false;
        for (const auto& [text, comparison] : operators)
            if (op.kind == Token::Symbol && op.text == text) {
                c.op = comparison;
                found = true;
            }
        if (!found) fail("se esperaba un operador de comparación (=, <, >, <=, >=, <>)");
        ++position_;
        c.literal = literal();
        query.conditions.push_back(std::move(c));
    }

    // A column, optionally qualified by the statement's own table.
    std::string columnName(const std::string& table) {
        std::string name = take(Token::Word, "un nombre de campo").text;
        if (acceptSymbol(".")) {
            if (!sameName(name, table)) fail("el campo se refiere a otra tabla, «" + name + "»");
            name = take(Token::Word, "un nombre de campo").text;
        }
        if (isDigits(name)) fail("se esperaba un nombre de campo");
        return name;
    }

    Value literal() {
        if (peek().kind == Token::Text) return Value::text(tokens_[position_++].text);
        if (acceptKeyword("NULL")) return Value();
        const bool negative = acceptSymbol("-");
        const Lexeme& whole = peek();
        if (whole.kind != Token::Word || !isDigits(whole.text))
            fail("se esperaba un texto entre comillas simples, un número o Null");
        std::string digits = (negative ? "-" : "") + whole.text;
        ++position_;
        if (peek().kind == Token::Symbol && peek().text == "." &&
            tokens_[position_ + 1].kind == Token::Word && isDigits(tokens_[position_ + 1].text)) {
            digits += "." + tokens_[position_ + 1].text;
            position_ += 2;
            return Value::dbl(std::strtod(digits.c_str(), nullptr));
        }
        int64_t n = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (error == std::errc() && n >= std::numeric_limits<int32_t>::min() &&
            n <= std::numeric_limits<int32_t>::max())
            return Value::longInt(static_cast<int32_t>(n));
        return Value::dbl(std::strtod(digits.c_str(), nullptr));
    }

    void optionalSemicolon() {
        acceptSymbol(";");
        if (peek().kind != Token::End) fail("sobra texto al final");
    }

    const Lexeme& peek() const { return tokens_[position_]; }

    static bool isKeyword(const Lexeme& l, const char* word) {
        return l.kind == Token::Word && upperCase(l.text) == word;
    }
    bool acceptKeyword(const char* word) {
        if (!isKeyword(peek(), word)) return false;
        ++position_;
        return true;
    }
    void keyword(const char* word) {
        if (!acceptKeyword(word)) fail(std::string("se esperaba «") + word + "»");
    }
    bool acceptSymbol(const char* text) {
        if (peek().kind != Token::Symbol || peek().text != text) return false;
        ++position_;
        return true;
    }
    void symbol(const char* text) {
        if (!acceptSymbol(text)) fail(std::string("se esperaba «") + text + "»");
    }
    const Lexeme& take(Token kind, const char* what) {
        if (peek().kind != kind || (kind == Token::Word && isReserved(peek())))
            fail(std::string("se esperaba ") + what);
        return tokens_[position_++];
    }
    static bool isReserved(const Lexeme& l) {
        for (const char* word : {"SELECT", "FROM", "WHERE", "AND", "ORDER", "BY"})
            if (isKeyword(l, word)) return true;
        return false;
    }

    [[noreturn]] void fail(const std::string& why) const { failAt(peek().offset, why); }
    [[noreturn]] void failAt(size_t offset, const std::string& why) const {
        size_t end = std::min(source_.size(), offset + 20);
        while (end < source_.size() && (static_cast<unsigned char>(source_[end]) & 0xC0) == 0x80)
            ++end;  // never cut a character in two
        std::string near = offset < source_.size()
                               ? "cerca de «" + source_.substr(offset, end - offset) + "»"
                               : "al final";
        throw Error("La instrucción «" + source_ + "» no es válida: " + why + ", " + near);
    }

    static constexpr int kMaxDepth = 100;

    const std::string& source_;
    std::vector<Lexeme> tokens_;
    size_t position_ = 0;
    int depth_ = 0;  // parentheses open around the condition being read
};

}  // namespace

Query parseStatement(const std::string& statement) {
    return Parser(statement).parse();
}

}  // namespace pelmora::engine
