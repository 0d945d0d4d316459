// How GoogleTest shows engine values in a failure: a value as its type and its
// text, a row (a vector of values) value by value, a type by its name.
#pragma once

#include <ostream>

#include "db/engine/Value.h"

namespace pelmora::engine {

inline void PrintTo(const Value& value, std::ostream* out) {
    if (value.isNull()) {
        *out << "Null";
        return;
    }
    *out << typeName(value.type()) << " «" << value.toText() << "»";
}

inline void PrintTo(Type type, std::ostream* out) {
    *out << typeName(type);
}

}  // namespace pelmora::engine
