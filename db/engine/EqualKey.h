// The one rule for equal keys, shared by every in-memory lookup of the engine and of
// the runs: a condition "column = literal" finds two values equal exactly when their
// keys are. A text's key is its upper-cased form (two texts are equal for compareText
// exactly when those are) followed by its length, so that the keys of several columns
// put end to end stay apart; a number's is the bytes of its value as a double, with
// one zero and one NaN.
#pragma once

#include <string>

#include "db/engine/Value.h"

namespace pelmora::engine {

// Whether the keys of a column of `type` are numbers: the plain number types.
bool isNumberKeyed(Type type);

void appendTextKey(std::string& key, const std::string& text);
void appendNumberKey(std::string& key, double number);

// The key part of a value stored in a column of type `type`; false when it can equal
// no literal (a Null, or what a file made by other tools holds of another kind).
bool appendStoredKey(std::string& key, Type type, const Value& stored);
// The key part of a literal compared with a column of type `type`; false when keys
// cannot stand for that comparison exactly (only texts and the plain number types can).
bool appendLiteralKey(std::string& key, Type type, const Value& literal);

}  // namespace pelmora::engine
