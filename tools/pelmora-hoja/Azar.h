// A deterministic random source (splitmix64): the same seed gives the same
// sheet on every machine and standard library.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace pelmora::hoja {

class Azar {
  public:
    explicit Azar(uint64_t semilla) : estado_(semilla) {}

    uint64_t siguiente() {
        uint64_t z = (estado_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number from 0 to n - 1 (n > 0).
    uint32_t hasta(uint32_t n) {
        return static_cast<uint32_t>((static_cast<unsigned __int128>(siguiente()) * n) >> 64);
    }

    // True with probability `porMil` / 1000.
    bool porMil(uint32_t porMil) { return hasta(1000) < porMil; }

    template <class T>
    void baraja(std::vector<T>& v) {
        for (std::size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[hasta(static_cast<uint32_t>(i))]);
    }

  private:
    uint64_t estado_;
};

}  // namespace pelmora::hoja
