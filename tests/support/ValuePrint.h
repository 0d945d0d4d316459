// How GoogleTest shows an engine value in a failure: its type and its text.
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

}  // namespace pelmora::engine
