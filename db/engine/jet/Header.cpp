#include "db/engine/jet/Header.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

constexpr int kVersionOffset = 0x14;
constexpr int kMaskedStart = 0x18;
constexpr int kCodePageOffset = 0x3C;
constexpr int kKeyOffset = 0x3E;
constexpr int kPasswordOffset = 0x42;
constexpr int kCreationDateOffset = 0x72;  // Jet4
constexpr int kFirstAceVersion = 2;        // Access 2007
constexpr int kLastAceVersion = 6;         // Access 2019

uint32_t u32(const std::vector<uint8_t>& bytes, int at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, sizeof v);  // the host is little-endian, as the file
    return v;
}

// Jet4 masks the password further with the four bytes of the whole part of the
// creation date, repeated; Jet3 does not.
std::array<uint8_t, 4> passwordMask(const std::vector<uint8_t>& bytes, const Format& f) {
    std::array<uint8_t, 4> mask{};
    if (!f.unicode) return mask;
    double created;
    std::memcpy(&created, bytes.data() + kCreationDateOffset, sizeof created);
    if (!(std::fabs(created) < 0x1p31)) return mask;
    const int32_t day = static_cast<int32_t>(created);
    std::memcpy(mask.data(), &day, sizeof day);
    return mask;
}

// Whether a database password is set: its unmasked characters are not all zero.
bool hasPassword(const std::vector<uint8_t>& bytes, const Format& f) {
    const std::array<uint8_t, 4> mask = passwordMask(bytes, f);
    const int length = f.unicode ? 40 : 20;
    for (int i = 0; i < length; ++i)
        if ((bytes[kPasswordOffset + i] ^ mask[i % 4]) != 0) return true;
    return false;
}

// Enciphered pages cannot be read as they are, so nothing read from them could be
// trusted. Access 97-2003 encodes every page past the header with a key stream
// from the database key; Access 2007+ sets that key when a password enciphers
// the pages (Office encryption, described from 0x299 on).
void requireUnencoded(const std::vector<uint8_t>& bytes, const PageFile& file, bool password,
                      bool ace) {
    if (u32(bytes, kKeyOffset) == 0) return;
    const std::string cannot = "No se puede leer la base de datos «" + file.path() + "»: ";
    if (ace)
        throw Error(cannot +
                    "está protegida con una contraseña que cifra sus páginas, y sin "
                    "descifrarlas no se lee nada de ella; quítele la contraseña en Access "
                    "(Archivo > Información > Descifrar base de datos) y vuelva a intentarlo");
    throw Error(cannot + (password ? "está protegida con una contraseña y " : "") +
                "está codificada, y sus páginas no se leen sin descodificarla; "
                "descodifíquela en Access (Herramientas > Seguridad > Codificar o "
                "descodificar base de datos) y vuelva a intentarlo");
}

bool signedAs(const std::vector<uint8_t>& bytes, const char* engine) {
    return std::memcmp(bytes.data() + 4, engine, 15) == 0;
}

// The layout the signature and the version byte name: Access 97 is Jet3; Access
// 2000-2003 and every Access 2007+ version keep Jet4's pages and structures.
const Format& formatOf(const std::vector<uint8_t>& bytes, const PageFile& file, Header& header) {
    const int version = bytes[kVersionOffset];
    if (signedAs(bytes, "Standard Jet DB") && version <= 1) return version == 0 ? kJet3 : kJet4;
    if (signedAs(bytes, "Standard ACE DB") && version >= kFirstAceVersion &&
        version <= kLastAceVersion) {
        header.aceVersion = version;
        return kJet4;
    }
    throw Error("No se puede abrir la base de datos «" + file.path() +
                "»: su cabecera dice la versión de formato " + std::to_string(version) +
                ", que no es de ninguna versión conocida de Access (97 a 2019)");
}

}  // namespace

void maskHeaderArea(uint8_t* area, int length) {
    // RC4 with the four key bytes of 0x6B39DAC7 in little-endian order.
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<uint8_t, 256> s;
    for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        area[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

Header readHeader(PageFile& file) {
    std::vector<uint8_t> bytes = file.readStart(kJet3.pageSize);
    if (bytes.size() < 0x100 ||
        !(signedAs(bytes, "Standard Jet DB") || signedAs(bytes, "Standard ACE DB")))
        file.corrupt("la cabecera no es la de una base de datos de Access");
    Header header;
    header.format = &formatOf(bytes, file, header);
    const Format& f = *header.format;
    if (file.fileSize() < 3ull * f.pageSize)
        file.corrupt("el fichero está truncado (" + std::to_string(file.fileSize()) +
                     " bytes, menos que las páginas que toda base de datos tiene)");
    maskHeaderArea(bytes.data() + kMaskedStart, f.maskedLength);
    const auto u16 = [&](int at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    header.password = hasPassword(bytes, f);
    requireUnencoded(bytes, file, header.password, header.aceVersion != 0);
    header.codePage = u16(kCodePageOffset);
    header.sortOrder = u16(f.sortOrderOffset);
    if (f.sortVersionOffset >= 0) header.sortVersion = bytes[f.sortVersionOffset];
    file.setFormat(f);
    if (!f.unicode) file.setCodePage(CodePage(header.codePage, file.path()));
    return header;
}

}  // namespace pelmora::engine::jet
