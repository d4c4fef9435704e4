// The readings of number, date and logical texts that typed loads rely on: what is a value,
// what is empty, and what is no value of the type.
#include "dbf/FieldReadings.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    // A field of 255 bytes, the most its descriptor's length byte gives, all digits.
    const std::string widest(255, '7');
    EXPECT_EQ(numberForm(widest), "0." + widest + "E255");
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

TEST(FieldReadings, EveryMonthEndsOnItsLastDayInEveryKindOfYear) {
    // The Gregorian calendar's month lengths, written out rather than computed: a common
    // year, leap years by four and by four hundred, and century years that are no leap years.
    struct Year {
        unsigned year;
        unsigned lastDays[12];
    };
    const Year years[] = {
        {2023, {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
        {2024, {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
        {2000, {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
        {1900, {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
        {2100, {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
        {9999, {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
    };
    for (const Year& year : years) {
        for (unsigned month = 1; month <= 12; ++month) {
            const unsigned last = year.lastDays[month - 1];
            char text[16];
            std::snprintf(text, sizeof text, "%04u%02u%02u", year.year, month, last);
            EXPECT_EQ(date(text), FieldReading::Value) << text;
            std::snprintf(text, sizeof text, "%04u%02u%02u", year.year, month, last + 1);
            EXPECT_EQ(date(text), FieldReading::Invalid) << text;
            std::snprintf(text, sizeof text, "%04u%02u01", year.year, month);
            EXPECT_EQ(date(text), FieldReading::Value) << text;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%04u1301", year.year);
        EXPECT_EQ(date(text), FieldReading::Invalid) << text;
        std::snprintf(text, sizeof text, "%04u0001", year.year);
        EXPECT_EQ(date(text), FieldReading::Invalid) << text;
    }
    // The first day a four-digit year can name, and the year before it, which no calendar has.
    EXPECT_EQ(date("00010101"), FieldReading::Value);
    EXPECT_EQ(date("00001231"), FieldReading::Invalid);
    // A date that reads is the date its text names.
    FieldDate value;
    const std::string text = "20241231";
    ASSERT_EQ(
        readFieldDate(reinterpret_cast<const unsigned char*>(text.data()), text.size(), value),
        FieldReading::Value);
    EXPECT_EQ(value.year, 2024u);
    EXPECT_EQ(value.month, 12u);
    EXPECT_EQ(value.day, 31u);
}

TEST(FieldReadings, EveryByteALogicalFieldCanHold) {
    // dBase writes T or F, FoxPro also Y or N, in either case; a blank or '?' is no value
    // yet, and a zero byte is a field no program wrote. Any other byte is no logical.
    for (unsigned byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const std::string yes = "TtYy", no = "FfNn";
        const char c = static_cast<char>(byte);
        // Starts as the opposite of what a logical letter says, so that a reading must set it.
        bool value = no.find(c) != std::string::npos;
        const FieldReading reading = logical(text, value);
        if (byte == ' ' || byte == '?' || byte == 0) {
            EXPECT_EQ(reading, FieldReading::Empty) << byte;
        } else if (yes.find(c) != std::string::npos) {
            EXPECT_EQ(reading, FieldReading::Value) << byte;
            EXPECT_TRUE(value) << byte;
        } else if (no.find(c) != std::string::npos) {
            EXPECT_EQ(reading, FieldReading::Value) << byte;
            EXPECT_FALSE(value) << byte;
        } else {
            EXPECT_EQ(reading, FieldReading::Invalid) << byte;
        }
    }
    // A wider field holds its letter among blanks; two letters are no logical.
    bool value = false;
    EXPECT_EQ(logical(" T ", value), FieldReading::Value);
    EXPECT_TRUE(value);
    EXPECT_EQ(logical(std::string("n\0", 2), value), FieldReading::Value);
    EXPECT_FALSE(value);
    EXPECT_EQ(logical("  ", value), FieldReading::Empty);
    EXPECT_EQ(logical(" ? ", value), FieldReading::Empty);
    EXPECT_EQ(logical("TF", value), FieldReading::Invalid);
    EXPECT_EQ(logical("??", value), FieldReading::Invalid);
}
