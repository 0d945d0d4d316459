// Values and texts as the engine converts and compares them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "db/engine/Currency.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/Value.h"
#include "tests/support/ValuePrint.h"

using namespace pelmora::engine;

TEST(Valor, ConversionesComoElMotorDeAccess) {
    EXPECT_EQ(Value::text(" 42 ").toLong(), 42);
    EXPECT_EQ(Value::dbl(2.5).toLong(), 2);  // half to even
    EXPECT_EQ(Value::dbl(3.5).toInteger(), 4);
    EXPECT_EQ(Value::boolean(true).toInteger(), -1);
    EXPECT_THROW(Value().toLong(), Error);
    EXPECT_THROW(Value::text("12a").toLong(), Error);
    EXPECT_THROW(Value::longInt(40000).toInteger(), Error);
    EXPECT_THROW(Value::dbl(3e9).toLong(), Error);
    EXPECT_NE(Value(), Value::text(""));
}

// Dates count days from 30 December 1899, Access's day zero (the first and last
// days Access stores: test_jet_valores, against mdb-export); the text of a date never
// overflows, whatever the number, and a time rounded up to midnight is the next
// day on either side of day zero.
TEST(Valor, FechasDentroDeLoQueAccessGuarda) {
    EXPECT_EQ(oleDaysFromCivil(1900, 1, 1), 2.0);
    EXPECT_EQ(formatDateTime(0), "1899-12-30 00:00:00");
    EXPECT_EQ(formatDateTime(0.5), "1899-12-30 12:00:00");

    EXPECT_EQ(formatDateTime(oleDaysFromCivil(100, 1, 1, 12, 0, 0)), "0100-01-01 12:00:00");
    EXPECT_EQ(formatDateTime(2958466.0 - 1e-9), "9999-12-31 23:59:59");
    EXPECT_EQ(formatDateTime(-1.999999999), "1899-12-30 00:00:00");
    EXPECT_EQ(formatDateTime(1.999999999), "1900-01-01 00:00:00");
    EXPECT_EQ(formatDateTime(1e300), "1.0000000000000001e+300");
    EXPECT_EQ(formatDateTime(-9.3e18), "-9.3e+18");

    double d = 0;
    ASSERT_TRUE(parseDateTime("2026-12-07 10:20:30", d));
    EXPECT_EQ(formatDateTime(d), "2026-12-07 10:20:30");
    EXPECT_TRUE(parseDateTime("2024-02-29", d));
    EXPECT_TRUE(parseDateTime("0099-12-31", d));  // a date, though not one Access stores
    EXPECT_FALSE(isStorableDate(d));
    for (const char* bad :
         {"2023-02-29", "2026-04-31", "2026-13-01", "2026-12-07 24:00:00", "2026-12-07 10:20",
          "2026-12-07 10:20:30x", " 2026-12-07", "2026-12-07T10:20:30", "99999999999-01-01",
          "2026-+1-01", "7/12/2026", ""})
        EXPECT_FALSE(parseDateTime(bad, d)) << bad;
}

TEST(Texto, MayusculasYComparacionSinDistinguirCaso) {
    EXPECT_EQ(upperCase("camión ñandú"), "CAMIÓN ÑANDÚ");
    EXPECT_TRUE(textEquals("Árbol", "áRBOL"));
    EXPECT_FALSE(textEquals("arbol", "árbol"));  // accents count
    EXPECT_FALSE(textEquals("abc", "abc "));     // trailing spaces count
    EXPECT_TRUE(sameName("199Etiquetas", "199ETIQUETAS"));
}

// The in-place comparison agrees with comparing the upper-cased texts, on texts
// that mix ASCII, accented letters, stray bytes and cut sequences at any place.
TEST(Texto, ComparacionIgualQueLaDeLosTextosEnMayusculas) {
    const std::vector<std::string> trozos = {"a", "A",    "z",    "_", " ", "é", "É",
                                             "ñ", "\xC3", "\xFF", "~", "Ÿ", "ÿ", ""};
    std::mt19937 azar(7);
    const auto texto = [&] {
        std::string t;
        for (int n = azar() % 5; n > 0; --n) t += trozos[azar() % trozos.size()];
        return t;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = texto(), b = i % 3 ? texto() : a + texto();
        const int esperado = upperCase(a).compare(upperCase(b));
        EXPECT_EQ(compareText(a, b), esperado < 0 ? -1 : esperado > 0 ? 1 : 0) << a << " | " << b;
    }
}

// Currency never passes through a double: text and whole numbers are exact to
// the last ten-thousandth of the range, digits past the fourth decimal round
// half to even, and the text of a value is its shortest decimal form (the extremes
// against mdb-export: test_jet_valores).
TEST(Valor, MonedaExactaDeTextoATextoSinDouble) {
    EXPECT_EQ(parseCurrency(" -922337203685477,5808 "), INT64_MIN);
    EXPECT_EQ(parseCurrency("-922337203685477.58086"), std::nullopt);
    EXPECT_EQ(parseCurrency("99999999999999999999999999"), std::nullopt);
    EXPECT_EQ(parseCurrency(".5"), 5000);
    EXPECT_EQ(parseCurrency("0.00005"), 0);  // half to even
    EXPECT_EQ(parseCurrency("0.00015"), 2);
    EXPECT_EQ(parseCurrency("0.000050001"), 1);
    for (const char* bad : {"", " ", "-", "1.2.3", "1e5", "12a", "1 2"})
        EXPECT_EQ(parseCurrency(bad), std::nullopt) << bad;

    EXPECT_EQ(formatCurrency(INT64_MIN), "-922337203685477.5808");
    EXPECT_EQ(formatCurrency(-30000), "-3");
    EXPECT_EQ(formatCurrency(0), "0");
    EXPECT_EQ(Value::currency(12345000).toText(), "1234.5");

    EXPECT_EQ(toCurrency(Value::dbl(0.1 + 0.2)), 3000);
    EXPECT_EQ(toCurrency(Value::dbl(0.00025)), 2);  // the nearest, half to even
    EXPECT_EQ(toCurrency(Value::single(0.1f)), 1000);
    EXPECT_EQ(toCurrency(Value::boolean(true)), -10000);
    EXPECT_EQ(toCurrency(Value::longInt(INT32_MIN)), int64_t{INT32_MIN} * 10000);
    EXPECT_EQ(toCurrency(Value::decimal("123456789012345.6789")), 1234567890123456789);
    EXPECT_EQ(toCurrency(Value::dbl(1e15)), std::nullopt);
    EXPECT_EQ(toCurrency(Value::dbl(std::nan(""))), std::nullopt);
    EXPECT_THROW(toCurrency(Value::text("doce")), Error);
    EXPECT_THROW(toCurrency(Value()), Error);
}
