#include "db/engine/jet/Filter.h"

#include "db/engine/Error.h"
#include "db/engine/Text.h"

namespace pelmora::engine::jet {

namespace {

int sign(double d) {
    return d < 0 ? -1 : d > 0 ? 1 : 0;
}

int compareNumbers(const Value& a, const Value& b) {
    const bool integral = [](Type t) {
        return t == Type::Boolean || t == Type::Byte || t == Type::Integer || t == Type::Long ||
               t == Type::Currency;
    }(a.type());
    if (integral && a.type() == b.type()) {
        int64_t x = a.type() == Type::Boolean ? -a.rawInt() : a.rawInt();
        int64_t y = b.type() == Type::Boolean ? -b.rawInt() : b.rawInt();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    return sign(a.toDouble() - b.toDouble());
}

[[noreturn]] void mismatch(const Condition& c, const std::string& table) {
    throw Error("No coinciden los tipos de datos en la condición sobre el campo «" + c.column +
                "» de la tabla «" + table + "»: «" + c.literal.toText() + "»");
}

// The comparison of a stored value with a condition's literal, -1, 0 or 1.
int compareWithLiteral(const Value& v, const Condition& c, const std::string& table) {
    const Value& lit = c.literal;
    switch (v.type()) {
        case Type::Text:
        case Type::Memo:
        case Type::Guid:
            return compareText(v.rawText(), lit.toText());
        case Type::DateTime: {
            double days;
            if (lit.isText() && !parseDateTime(lit.rawText(), days)) mismatch(c, table);
            if (!lit.isText()) days = lit.toDouble();
            return sign(v.rawDouble() - days);
        }
        case Type::Binary:
        case Type::LongBinary:
            mismatch(c, table);
        default:
            if (lit.isText()) {
                try {
                    return sign(v.toDouble() - lit.toDouble());
                } catch (const Error&) {
                    mismatch(c, table);
                }
            }
            return compareNumbers(v, lit);
    }
}

}  // namespace

bool matches(const Value& value, const Condition& condition, const std::string& table) {
    if (value.isNull() || condition.literal.isNull()) return false;
    const int c = compareWithLiteral(value, condition, table);
    switch (condition.op) {
        case Comparison::Equal:
            return c == 0;
        case Comparison::NotEqual:
            return c != 0;
        case Comparison::Less:
            return c < 0;
        case Comparison::Greater:
            return c > 0;
        case Comparison::LessEqual:
            return c <= 0;
        case Comparison::GreaterEqual:
            return c >= 0;
    }
    return false;
}

int compareForOrder(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : a.isNull() ? -1 : 1;
    if (a.isText() || a.type() == Type::Guid) return compareText(a.rawText(), b.rawText());
    if (a.type() == Type::DateTime) return sign(a.rawDouble() - b.rawDouble());
    if (a.type() == Type::Binary || a.type() == Type::LongBinary) {
        int c = a.rawText().compare(b.rawText());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    return compareNumbers(a, b);
}

}  // namespace pelmora::engine::jet
