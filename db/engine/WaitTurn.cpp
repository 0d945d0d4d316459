#include "db/engine/WaitTurn.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "db/engine/Error.h"

namespace pelmora::engine {

using std::chrono::milliseconds;

milliseconds lockWaitLimit() {
    if (const char* text = std::getenv("PELMORA_ESPERA_BLOQUEO")) {
        char* end = nullptr;
        const double seconds = std::strtod(text, &end);
        if (end != text && *end == '\0' && seconds >= 0 && seconds <= 86400)
            return milliseconds(static_cast<long long>(seconds * 1000));
    }
    return std::chrono::seconds(60);
}

void tellWaiting(const std::string& path) {
    std::fprintf(stderr, "Esperando a que otro proceso termine de escribir en «%s»...\n",
                 path.c_str());
    std::fflush(stderr);
}

std::string busyMessage(const std::string& path, milliseconds waited, const std::string& holder) {
    const long long tenths = (waited.count() + 50) / 100;
    std::string message = "La base de datos «" + path + "» está ocupada: " +
                          (holder.empty() ? "otro proceso escribe en ella" : holder) +
                          "; se esperó " + std::to_string(tenths / 10);
    if (tenths % 10) message += "," + std::to_string(tenths % 10);
    return message + " segundos. Vuelva a intentarlo cuando termine";
}

void waitTurn(const std::string& path, const std::function<bool()>& tryOnce,
              const std::function<std::string()>& holder) {
    if (tryOnce()) return;
    const auto start = std::chrono::steady_clock::now();
    const milliseconds limit = lockWaitLimit();
    tellWaiting(path);
    for (;;) {
        const auto waited =
            std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        if (waited >= limit) throw Error(busyMessage(path, waited, holder()));
        std::this_thread::sleep_for(std::min(milliseconds(20), limit - waited));
        if (tryOnce()) return;
    }
}

}  // namespace pelmora::engine
