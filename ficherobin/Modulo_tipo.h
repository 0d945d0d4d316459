// The records of a BIN file, each with its exact byte layout: integers
// little-endian, texts fixed-width fields of single-byte characters kept as the
// file's own bytes (no code-page conversion). Read and written whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// A fixed-width text field of N single-byte characters.
template <std::size_t N>
using CampoTexto = std::array<char, N>;

// The field's bytes as a text, all N of them (NULs and padding included).
template <std::size_t N>
std::string textoDe(const CampoTexto<N>& campo) {
    return std::string(campo.data(), N);
}

// Sets a field from the bytes of `texto`: cut to N, padded with spaces.
template <std::size_t N>
void asignaTexto(CampoTexto<N>& campo, std::string_view texto) {
    campo.fill(' ');
    texto.copy(campo.data(), N);
}

// Header of an element: 12 bytes.
struct CabeceraElemento {
    static constexpr std::size_t kBytes = 12;
    CampoTexto<2> Tipo{};           // "C" point list, "T" text (first character)
    CampoTexto<7> CodigoFeature{};  // Feature mslink in decimal, NUL-padded
    uint8_t NumAtributos = 0;       // ATRs at the end of the element
    int16_t NumRegistros = 0;       // 12-byte body records

    void desdeBytes(const uint8_t* b);
    void aBytes(uint8_t* b) const;
};

// The block after the header: 36 bytes kept as they are. The error marker sets
// its three 32-bit integers at offsets 24, 28 and 32.
struct BloqueElemento {
    static constexpr std::size_t kBytes = 36;
    std::array<uint8_t, kBytes> bytes{};

    int32_t entero(std::size_t offset) const;
    void ponEntero(std::size_t offset, int32_t valor);
    void desdeBytes(const uint8_t* b);
    void aBytes(uint8_t* b) const;
};

// A body record of a point list, or a text's insertion point: 12 raw bytes.
struct PuntoElemento {
    static constexpr std::size_t kBytes = 12;
    std::array<uint8_t, kBytes> bytes{};

    void desdeBytes(const uint8_t* b);
    void aBytes(uint8_t* b) const;
};

// A text record of a text element: 12 characters.
struct TextoElemento {
    static constexpr std::size_t kBytes = 12;
    CampoTexto<kBytes> Texto{};

    void desdeBytes(const uint8_t* b);
    void aBytes(uint8_t* b) const;
};

// An attribute record (ATR): the occurrence's table and record. 12 bytes.
// Writes `v` in the 4 bytes at `b`, little-endian as the BIN file holds numbers.
void escribe32(uint8_t* b, int32_t v);

struct AtributoOcurrencia {
    static constexpr std::size_t kBytes = 12;
    static constexpr int64_t kPosicionMslink = 2;  // where Mslink lies in its bytes
    int16_t Entitynum = 0;                         // MsCatalog entitynum; 1 takes part in no lookup
    int32_t Mslink = 0;                            // the record's mslink
    CampoTexto<6> Resto{};                         // not interpreted, written back as read

    void desdeBytes(const uint8_t* b);
    void aBytes(uint8_t* b) const;
};

}  // namespace pelmora
