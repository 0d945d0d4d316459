#include "core/Estado.h"

#include <limits>
#include <stdexcept>

namespace pelmora {

void incrementa(int32_t& contador) {
    if (contador == std::numeric_limits<int32_t>::max())
        throw std::overflow_error("Desbordamiento: un contador de errores ha superado 2147483647");
    ++contador;
}

}  // namespace pelmora
