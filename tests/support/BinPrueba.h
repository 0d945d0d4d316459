// BIN files built by hand for the walk's tests: elements with a recognisable block
// and body, ATRs with a recognisable rest, and the offsets of each element and ATR
// so that tests can name the bytes a run must change or copy.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pelmora::prueba {

using Bytes = std::string;

Bytes Le16(int v);
Bytes Le32(int64_t v);

struct Atr {
    int entitynum = 0;
    int32_t mslink = 0;
};

// A BIN file in the making: each element appended at the end.
class BinPrueba {
  public:
    // Appends an element and returns its offset. Block byte i is 0x80 + i; byte j of
    // body record r is 16 * (r + 1) + j; each ATR's rest is "rest" + two bytes of its index.
    int64_t Elemento(const Bytes& tipo, const Bytes& codigo, int numRegistros,
                     const std::vector<Atr>& atributos);
    // Offset of the k-th ATR (from 0) of the element at `inicio`.
    int64_t PosicionAtr(int64_t inicio, int k) const;

    // Bytes appended as they are (stray bytes, damaged headers).
    void Anade(const Bytes& bytes) { bytes_ += bytes; }
    const Bytes& bytes() const { return bytes_; }
    // The bytes with the ATR at `posicion` holding `mslink`.
    Bytes ConMslink(int64_t posicion, int32_t mslink) const;
    void Escribe(const std::string& ruta) const;

  private:
    Bytes bytes_;
    int atributos_ = 0;
};

Bytes LeeFichero(const std::string& ruta);
// Every regular file of a folder and its subfolders, by path, with its bytes: what a
// run that fails before it writes must leave as it was.
std::map<std::string, Bytes> LeeCarpeta(const std::string& carpeta);

}  // namespace pelmora::prueba
