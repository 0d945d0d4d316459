// The one rule for equal keys, shared by every in-memory lookup of the engine and of
// the runs: a condition "column = literal" finds two values equal exactly when their
// keys are. A text's key is its upper-cased form (two texts are equal for compareText
// exactly when those are) followed by its length, so that the keys of several columns
// put end to end stay apart; a number's is the bytes of its value as a double, with
// one zero and one NaN.
#pragma once

#include <string>

namespace pelmora::engine {

void appendTextKey(std::string& key, const std::string& text);
void appendNumberKey(std::string& key, double number);

}  // namespace pelmora::engine
