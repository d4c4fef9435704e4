// The readings of number, date and logical texts that typed loads rely on: what is a value,
// what is empty, and what is no value of the type.
#include "dbf/FieldReadings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

FieldReading number(const std::string& text, FieldNumber& value) {
    return readFieldNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size(), value);
}

// "-0.314E1": the sign, the digits and the exponent a reading gives.
std::string numberForm(const std::string& text) {
    FieldNumber value;
    if (number(text, value) != FieldReading::Value)
        return "not a value";
    return (value.negative ? "-0." : "0.") + std::string(value.digits, value.digitCount) + "E" +
           std::to_string(value.exponent);
}

FieldReading date(const std::string& text) {
    FieldDate value;
    return readFieldDate(reinterpret_cast<const unsigned char*>(text.data()), text.size(), value);
}

FieldReading logical(const std::string& text, bool& value) {
    return readFieldLogical(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                            value);
}

} // namespace

TEST(FieldReadings, NumbersInEveryFormWritersUseAndNothingElse) {
    EXPECT_EQ(numberForm("   12.50"), "0.125E2");
    EXPECT_EQ(numberForm("1."), "0.1E1");
    EXPECT_EQ(numberForm(".5"), "0.5E0");
    EXPECT_EQ(numberForm("+5"), "0.5E1");
    EXPECT_EQ(numberForm("1E5"), "0.1E6");
    EXPECT_EQ(numberForm("-0.0025"), "-0.25E-2");
    EXPECT_EQ(numberForm("2.5e-3 "), "0.25E-2");
    EXPECT_EQ(numberForm("-000"), "0.E0");
    EXPECT_EQ(numberForm("0100.0100"), "0.10001E3");
    EXPECT_EQ(numberForm(std::string("7\0junk", 6)), "0.7E1");
    FieldNumber value;
    for (const char* empty : {"", "     ", "********", "*"})
        EXPECT_EQ(number(empty, value), FieldReading::Empty) << empty;
    for (const char* invalid :
         {"12a", "1-2", " 1 2", ".", "-", "+-1", "1E", "1E+", "1,5", "1.2.3", "**1", "E5", "0x10"})
        EXPECT_EQ(number(invalid, value), FieldReading::Invalid) << invalid;
}

TEST(FieldReadings, DatesOfTheCalendarLogicalsOfTheirLetters) {
    EXPECT_EQ(date("20240305"), FieldReading::Value);
    EXPECT_EQ(date("20240229"), FieldReading::Value);
    EXPECT_EQ(date("20000229"), FieldReading::Value);
    EXPECT_EQ(date(" 20240305 "), FieldReading::Value);
    for (const char* empty : {"", "        ", "00000000"})
        EXPECT_EQ(date(empty), FieldReading::Empty) << empty;
    for (const char* invalid : {"20230231", "20230229", "19000229", "00000101", "20241301",
                                "20240100", "2024035", "2024-3-5", "202403051"})
        EXPECT_EQ(date(invalid), FieldReading::Invalid) << invalid;

    bool value = false;
    for (const char* yes : {"T", "t", "Y", "y"}) {
        EXPECT_EQ(logical(yes, value), FieldReading::Value);
        EXPECT_TRUE(value) << yes;
    }
    for (const char* no : {"F", "f", "N", "n"}) {
        EXPECT_EQ(logical(no, value), FieldReading::Value);
        EXPECT_FALSE(value) << no;
    }
    EXPECT_EQ(logical("?", value), FieldReading::Empty);
    EXPECT_EQ(logical(" ", value), FieldReading::Empty);
    EXPECT_EQ(logical("X", value), FieldReading::Invalid);
    EXPECT_EQ(logical("1", value), FieldReading::Invalid);
}
