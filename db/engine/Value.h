// A field value as it crosses the engine interface: Null or one typed value.
// Type codes are the Access engine's own (1 yes/no, 4 long, 8 date/time, 10 text...).
// Null is never equal to anything and is never the empty text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace pelmora::engine {

enum class Type : uint8_t {
    Null = 0,
    Boolean = 1,
    Byte = 2,
    Integer = 3,   // 16-bit
    Long = 4,      // 32-bit, autonumber too
    Currency = 5,  // 64-bit, scaled by 10 000
    Single = 6,
    Double = 7,
    DateTime = 8,  // days since 1899-12-30, time as the fraction
    Binary = 9,
    Text = 10,
    LongBinary = 11,  // OLE object
    Memo = 12,
    Guid = 15,
    Decimal = 20,
};

// Spanish name of a type, for messages ("texto", "entero largo"...).
const char* typeName(Type type);
// Byte to decimal: the kinds that hold a number (yes/no aside).
bool isNumberType(Type type);

class Value {
  public:
    Value() = default;  // Null

    static Value boolean(bool v);
    static Value byte(uint8_t v);
    static Value integer(int16_t v);
    static Value longInt(int32_t v);
    static Value currency(int64_t scaledBy10000);
    static Value single(float v);
    static Value dbl(double v);
    static Value dateTime(double oleDays);
    static Value text(std::string utf8, Type type = Type::Text);       // Text or Memo
    static Value binary(std::string bytes, Type type = Type::Binary);  // Binary or LongBinary
    static Value guid(std::string braced);  // "{01234567-89AB-CDEF-0123-456789ABCDEF}"
    // A new random replication ID (version 4), as Access's GenGUID() makes one.
    static Value newGuid();
    static Value decimal(std::string digits);  // "-123.45"

    bool isNull() const { return type_ == Type::Null; }
    Type type() const { return type_; }
    bool isText() const { return type_ == Type::Text || type_ == Type::Memo; }
    bool isNumeric() const;  // byte to decimal, yes/no included

    // Raw access; valid only for the matching types.
    int64_t rawInt() const { return int_; }               // yes/no (0/1), integers, currency
    double rawDouble() const { return double_; }          // single, double, date/time
    const std::string& rawText() const { return text_; }  // text, memo, bytes, guid, decimal

    // Conversions as the Access engine's runtime makes them. Each throws Error
    // on Null, on text that is not a number, and on values out of range.
    bool toBool() const;
    int16_t toInteger() const;
    int32_t toLong() const;
    double toDouble() const;
    std::string toText() const;  // Null gives an error; numbers in decimal

    // Exact equality of type and content (Null == Null here): for tests and maps.
    bool operator==(const Value& other) const = default;

  private:
    Value(Type type, int64_t i, double d, std::string s)
        : type_(type), int_(i), double_(d), text_(std::move(s)) {}

    Type type_ = Type::Null;
    int64_t int_ = 0;
    double double_ = 0;
    std::string text_;
};

// Date/time helpers: OLE days <-> "YYYY-MM-DD HH:MM:SS" (whole seconds).
// Whether Access can store the date: from 1 January 100 to 31 December 9999.
bool isStorableDate(double oleDays);
// A date Access cannot store shows as its number of days.
std::string formatDateTime(double oleDays);
// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", a real calendar day, any year.
bool parseDateTime(const std::string& text, double& oleDays);
double oleDaysFromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace pelmora::engine
