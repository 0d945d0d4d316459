// The General sort order of Access 2010 and later (text columns of sort version 1),
// as far as the entries Access stored in the fixtures' indexes prove it. Its keys
// have the Jet4 layout (GeneralSortOrder.cpp), with other codes: each letter,
// digit and the punctuation below takes a 2-byte inline code (upper and lower case
// alike where both were seen), characters beyond U+FFFF have their Jet4 codes but
// no 'Z' flag, and the unprintable characters seen are placed as in Jet4. Every
// other character, every descending key, and texts whose trailing spaces or length
// a Jet4 key would cut, have no known key: the writer refuses them and the check
// leaves their rows aside, rather than guess.
#include <algorithm>
#include <iterator>

#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/SortCodes.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kMaxIndexedUnits = 255;

struct InlineCode {
    char16_t character;
    uint16_t code;
};

// Sorted by character. Read from stored entries of indexTestV2010, testV2010,
// test2V2010, complexDataTestV2010, testEmoticonsV2010 and the 2010 and 2016
// empty databases (their MSysAccessStorage names among them).
constexpr InlineCode kInlineCodes[] = {
    {u' ', 0x0702}, {u'.', 0x0733}, {u'0', 0x0D17}, {u'1', 0x0D19}, {u'2', 0x0D1A}, {u'3', 0x0D1B},
    {u'4', 0x0D1C}, {u'5', 0x0D1D}, {u'6', 0x0D1E}, {u'7', 0x0D1F}, {u'8', 0x0D20}, {u'9', 0x0D21},
    {u'A', 0x0E02}, {u'B', 0x0E09}, {u'C', 0x0E0A}, {u'D', 0x0E1A}, {u'E', 0x0E21}, {u'F', 0x0E23},
    {u'G', 0x0E25}, {u'H', 0x0E2C}, {u'I', 0x0E32}, {u'J', 0x0E35}, {u'L', 0x0E48}, {u'M', 0x0E51},
    {u'N', 0x0E70}, {u'O', 0x0E7C}, {u'P', 0x0E7E}, {u'Q', 0x0E89}, {u'R', 0x0E8A}, {u'S', 0x0E91},
    {u'T', 0x0E99}, {u'U', 0x0E9F}, {u'V', 0x0EA2}, {u'X', 0x0EA6}, {u'_', 0x0744}, {u'a', 0x0E02},
    {u'b', 0x0E09}, {u'c', 0x0E0A}, {u'd', 0x0E1A}, {u'e', 0x0E21}, {u'f', 0x0E23}, {u'g', 0x0E25},
    {u'h', 0x0E2C}, {u'i', 0x0E32}, {u'j', 0x0E35}, {u'k', 0x0E36}, {u'l', 0x0E48}, {u'm', 0x0E51},
    {u'n', 0x0E70}, {u'o', 0x0E7C}, {u'p', 0x0E7E}, {u'r', 0x0E8A}, {u's', 0x0E91}, {u't', 0x0E99},
    {u'u', 0x0E9F}, {u'v', 0x0EA2}, {u'w', 0x0EA4}, {u'x', 0x0EA6}, {u'y', 0x0EA7},
};

// Unprintable characters seen, placed as in Jet4.
bool knownUnprintable(char16_t c) {
    return c == 0x03 || c == u'-';
}

// The emoticons seen: U+1F600 to U+1F64F.
bool knownSurrogatePair(char16_t high, char16_t low) {
    return high == 0xD83D && low >= 0xDE00 && low <= 0xDE4F;
}

const InlineCode* inlineCode(char16_t c) {
    const auto* end = std::end(kInlineCodes);
    const auto* found =
        std::lower_bound(std::begin(kInlineCodes), end, c,
                         [](const InlineCode& code, char16_t ch) { return code.character < ch; });
    return found != end && found->character == c ? found : nullptr;
}

SortCode code2010(char16_t c) {
    if (const InlineCode* code = inlineCode(c)) return {'S', 2, code->code, 0, 0, 0};
    SortCode jet4 = generalCode(c);
    if (c >= 0xD800 && c < 0xE000) jet4.kind = 'I';  // the Jet4 codes, no flag
    return jet4;
}

// The first character of the text whose code is not known; 0 when all are.
char32_t firstUnknown(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (inlineCode(c) || knownUnprintable(c)) continue;
        if (i + 1 < text.size() && knownSurrogatePair(c, text[i + 1])) {
            ++i;
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            return 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        return c;
    }
    return 0;
}

}  // namespace

std::string appendGeneral2010Text(std::string_view utf8, bool ascending, std::string& out) {
    // Jet4 drops trailing spaces and what follows the 255th unit; no stored entry
    // shows whether this order does too.
    if (!ascending) return "una clave descendente";
    if (!utf8.empty() && utf8.back() == ' ') return "un texto que acaba en espacio";
    const std::u16string text = indexedUnits(utf8);
    if (text.size() >= kMaxIndexedUnits) return "un texto de 255 caracteres o más";
    if (const char32_t unknown = firstUnknown(text))
        return "el carácter " + describeCharacter(unknown);
    appendGeneralKey(text, code2010, ascending, out);
    return "";
}

}  // namespace pelmora::engine::jet
