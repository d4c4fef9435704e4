// The checks and forms of typed values: whether a NUMBER column holds a number once Oracle
// rounds it, the text a number is bound as, and Oracle's date bytes.
#include "load/TypedValues.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void readNumber(const std::string& text, FieldNumber& number) {
    EXPECT_EQ(
        readFieldNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size(), number),
        FieldReading::Value)
        << text;
}

bool fits(const std::string& text, int precision, int scale) {
    FieldNumber number;
    readNumber(text, number);
    return numberFits(number, precision, scale);
}

std::string boundText(const std::string& text) {
    FieldNumber number;
    readNumber(text, number);
    char out[FieldNumber::kMaxDigits + 16];
    return std::string(out, writeNumberText(number, out));
}

} // namespace

TEST(TypedValues, NumbersFitTheirColumnAsOracleRoundsThem) {
    EXPECT_TRUE(fits("999999.99", 8, 2));
    EXPECT_TRUE(fits("-999999.994", 8, 2)); // rounds down to -999999.99
    EXPECT_FALSE(fits("999999.995", 8, 2)); // rounds up to 1000000.00
    EXPECT_FALSE(fits("1000000", 8, 2));
    EXPECT_TRUE(fits("0.004", 8, 2)); // rounds to zero
    EXPECT_TRUE(fits("0.06", 1, 1));  // 0.1
    EXPECT_FALSE(fits("0.96", 1, 1)); // 1.0 needs an integer digit
    EXPECT_TRUE(fits("0.001", 2, 3)); // a scale above the precision
    EXPECT_FALSE(fits("0.1", 2, 3));
    EXPECT_TRUE(fits("99999999999999999999999999999999999999", 38, 0));
    EXPECT_FALSE(fits("999999999999999999999999999999999999999", 38, 0));
    EXPECT_TRUE(fits("9.99E125", 0, 0));
    EXPECT_FALSE(fits("1E126", 0, 0));
    EXPECT_TRUE(fits("1E-300", 0, 0));
}

TEST(TypedValues, BoundFormsNeedNoNlsSetting) {
    EXPECT_EQ(boundText("  -3.14"), "-0.314E1");
    EXPECT_EQ(boundText("0.000"), "0");
    EXPECT_EQ(boundText("1234567890123.4567"), "0.12345678901234567E13");
    EXPECT_EQ(boundText(".05"), "0.5E-1");

    unsigned char bytes[7];
    writeOracleDate({1992, 11, 30, 15, 17, 0}, bytes);
    EXPECT_EQ(std::string(bytes, bytes + 7),
              std::string({119, static_cast<char>(192), 11, 30, 16, 18, 1}));
    writeOracleDate({1, 1, 1, 0, 0, 0}, bytes);
    EXPECT_EQ(std::string(bytes, bytes + 7), std::string({100, 101, 1, 1, 1, 1, 1}));
}
