// Fuzz target of the statement parser: any text either parses into a query naming
// a table or is refused with the engine's error quoting the statement.
#include "db/engine/Error.h"
#include "db/engine/Query.h"
#include "fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string statement(reinterpret_cast<const char*>(data), size);
    try {
        const pelmora::engine::Query query = pelmora::engine::parseStatement(statement);
        if (query.table.empty()) pelmora::fuzz::finding("una sentencia sin tabla se aceptó");
    } catch (const pelmora::engine::Error&) {
    }
    return 0;
}
