#include "db/engine/Query.h"

#include "db/engine/Error.h"

namespace pelmora::engine {

Query parseStatement(const std::string& statement) {
    throw Error("Instrucción no admitida todavía: «" + statement + "»");
}

}  // namespace pelmora::engine
