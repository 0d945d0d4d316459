#include "db/engine/jet/WriterIndexStore.h"

#include "db/engine/jet/UsageMapEdit.h"

namespace pelmora::engine::jet {

namespace {
const char* const kIndexMap = "el mapa de uso de un índice";
}  // namespace

void WriterIndexStore::write(uint32_t number, const std::vector<uint8_t>& bytes) {
    writer_.edit(number).setBytes(
        0, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

uint32_t WriterIndexStore::allocate(const RealIndex& index) {
    const uint32_t number = writer_.allocate().number();
    markInUsageMap(writer_, index.usageMap, number, true, kIndexMap);
    return number;
}

void WriterIndexStore::release(const RealIndex& index, uint32_t number) {
    markInUsageMap(writer_, index.usageMap, number, false, kIndexMap);
    writer_.release(number);
}

}  // namespace pelmora::engine::jet
