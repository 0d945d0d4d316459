// Byte encoding of the BIN records: little-endian integers whatever the host,
// texts copied byte for byte.
#include "ficherobin/Modulo_tipo.h"

#include <algorithm>

namespace pelmora {
namespace {

int16_t lee16(const uint8_t* b) {
    return static_cast<int16_t>(b[0] | (b[1] << 8));
}

int32_t lee32(const uint8_t* b) {
    return static_cast<int32_t>(uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) |
                                (uint32_t{b[3]} << 24));
}

void escribe16(uint8_t* b, int16_t v) {
    auto u = static_cast<uint16_t>(v);
    b[0] = static_cast<uint8_t>(u);
    b[1] = static_cast<uint8_t>(u >> 8);
}

template <std::size_t N>
void leeCampo(CampoTexto<N>& campo, const uint8_t* b) {
    std::copy_n(b, N, reinterpret_cast<uint8_t*>(campo.data()));
}

template <std::size_t N>
void escribeCampo(const CampoTexto<N>& campo, uint8_t* b) {
    std::copy_n(reinterpret_cast<const uint8_t*>(campo.data()), N, b);
}

}  // namespace

void escribe32(uint8_t* b, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(u >> (8 * i));
}

void CabeceraElemento::desdeBytes(const uint8_t* b) {
    leeCampo(Tipo, b);
    leeCampo(CodigoFeature, b + 2);
    NumAtributos = b[9];
    NumRegistros = lee16(b + 10);
}

void CabeceraElemento::aBytes(uint8_t* b) const {
    escribeCampo(Tipo, b);
    escribeCampo(CodigoFeature, b + 2);
    b[9] = NumAtributos;
    escribe16(b + 10, NumRegistros);
}

int32_t BloqueElemento::entero(std::size_t offset) const {
    return lee32(bytes.data() + offset);
}

void BloqueElemento::ponEntero(std::size_t offset, int32_t valor) {
    escribe32(bytes.data() + offset, valor);
}

void BloqueElemento::desdeBytes(const uint8_t* b) {
    std::copy_n(b, kBytes, bytes.begin());
}
void BloqueElemento::aBytes(uint8_t* b) const {
    std::copy(bytes.begin(), bytes.end(), b);
}

void PuntoElemento::desdeBytes(const uint8_t* b) {
    std::copy_n(b, kBytes, bytes.begin());
}
void PuntoElemento::aBytes(uint8_t* b) const {
    std::copy(bytes.begin(), bytes.end(), b);
}

void TextoElemento::desdeBytes(const uint8_t* b) {
    leeCampo(Texto, b);
}
void TextoElemento::aBytes(uint8_t* b) const {
    escribeCampo(Texto, b);
}

void AtributoOcurrencia::desdeBytes(const uint8_t* b) {
    Entitynum = lee16(b);
    Mslink = lee32(b + 2);
    leeCampo(Resto, b + 6);
}

void AtributoOcurrencia::aBytes(uint8_t* b) const {
    escribe16(b, Entitynum);
    escribe32(b + 2, Mslink);
    escribeCampo(Resto, b + 6);
}

}  // namespace pelmora
