// Writers of one file take turns: one that finds another process writing waits,
// saying so once on the standard error, for a bounded time (60 seconds, or the
// seconds in the environment variable PELMORA_ESPERA_BLOQUEO), then gives up
// with a clear message. Shared by the Access and SQLite backends.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace pelmora::engine {

std::chrono::milliseconds lockWaitLimit();

// The line shown once when a writer starts to wait for `path`.
void tellWaiting(const std::string& path);

// The message of a writer that waited `waited` for `path` in vain; `holder` says
// who holds it when that is known ("" otherwise).
std::string busyMessage(const std::string& path, std::chrono::milliseconds waited,
                        const std::string& holder = "");

// Calls `tryOnce` until it returns true, waiting between calls; at the limit throws
// Error(busyMessage(path, limit, holder())).
void waitTurn(const std::string& path, const std::function<bool()>& tryOnce,
              const std::function<std::string()>& holder);

}  // namespace pelmora::engine
