// SPDX-License-Identifier: MIT
#include "protocol/TextConv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace rv {
namespace {

TEST(HexDigitValue, DigitsAndEverythingElse)
{
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    for (char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xFF', '\xB0'}) {
        EXPECT_EQ(HexDigitValue(c), 0xFF) << int(c);
    }
}

TEST(ParseLenient, Integers)
{
    struct Case
    {
        const char* text;
        std::int64_t value;
        std::uint16_t u16;
        std::uint8_t u8;
    };
    const Case cases[] = {
        {"300", 300, 300, 44},
        {"-5", -5, 0xFFFB, 0xFB},
        {"12abc", 12, 12, 12},
        {"abc", 0, 0, 0},
        {"", 0, 0, 0},
        {" \t\r\n+7", 7, 7, 7},
        {"-1", -1, 0xFFFF, 0xFF},
        {"65537", 65537, 1, 1},
        {"- 5", 0, 0, 0},
        {"1 2", 1, 1, 1},
        // Far beyond 64 bits: the value wraps, its low bits stay the text's value modulo 2^16.
        {"1000000000000000000065536", 2003764205206962176, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLenientInt(c.text), c.value) << c.text;
        EXPECT_EQ(ParseLenientU16(c.text), c.u16) << c.text;
        EXPECT_EQ(ParseLenientU8(c.text), c.u8) << c.text;
    }
}

TEST(ParseLenient, Floats)
{
    struct Case
    {
        const char* text;
        float value;
    };
    const Case cases[] = {
        {"113.5", 113.5f}, {" -2.5e1x", -25.0f}, {"1e", 1.0f},
        {"1e+", 1.0f},     {"1.5E-2", 0.015f},   {".5", 0.5f},
        {"5.", 5.0f},      {".", 0.0f},          {"abc", 0.0f},
        {"+3", 3.0f},      {"0x10", 0.0f},       {"inf", 0.0f},
        {"nan", 0.0f},     {"", 0.0f},           {"25,5", 25.0f},
        {"1e-400", 0.0f},  {"0.1", 0.1f},        {"3.4028235e38", 3.4028235e38f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLenientFloat(c.text), c.value) << c.text;
    }
    EXPECT_TRUE(std::isinf(ParseLenientFloat("1e400")));
    EXPECT_TRUE(std::isinf(ParseLenientFloat("4e38")));
    EXPECT_LT(ParseLenientFloat("-1e400"), 0.0f);
}

TEST(Formats, OutputTexts)
{
    EXPECT_EQ(FormatInt(-1), "-1");
    EXPECT_EQ(FormatUnsigned(65535), "65535");
    EXPECT_EQ(FormatHex2(0x0A), "0A");
    EXPECT_EQ(FormatHex8(0x00AB00FF), "00ab00ff");
    EXPECT_EQ(FormatFloat6(113.5f), "113.500000");
    EXPECT_EQ(FormatFloat6(0.1f), "0.100000");
    EXPECT_EQ(FormatFloat6(-3.4028235e38f), "-340282346638528859811704183484516925440.000000");
    EXPECT_EQ(FormatFloat1(25.0f), "25.0");
    EXPECT_EQ(FormatFloat1(0.25f), "0.2"); // rounds half to even, as printf does
    EXPECT_EQ(FormatDottedQuad(0xC0A80009), "192.168.0.9");
}

TEST(ParseDottedQuad, AddressTexts)
{
    struct Case
    {
        std::string text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"192.168.0.9", 0xC0A80009},
        {"255.255.255.0", 0xFFFFFF00},
        {"10.1", 0x0A01},
        {"", 0},
        {"1.2.3.4.5", 0x02030405}, // the first octet is shifted out
        {"1.256", 0x0100},         // an octet above 255 overlaps its neighbour
        {"a", 49},                 // every character enters like a digit
        {"\xB0", 0xB0 - 48},       // bytes count unsigned
        {"1 ", 10 + static_cast<std::uint32_t>(' ') - 48},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDottedQuad(c.text), c.value) << c.text;
    }

    // A text of 256 characters or more is cut to 255 first, so parsing always ends; a text of
    // 255 is taken whole.
    const std::string ones(255, '1');
    EXPECT_EQ(ParseDottedQuad(ones + "." + std::string(44, '2')), ParseDottedQuad(ones));
    EXPECT_EQ(ParseDottedQuad(ones.substr(1) + "."), ParseDottedQuad(ones.substr(1)) << 8);
}

TEST(MacText, DashedForm)
{
    const MacAddress expected{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    for (const char* ok : {"12-34-56-78-9a-bc", "12-34-56-78-9A-BC", "12-34-56-78-9A-BCxyz"}) {
        auto mac = ParseMacDashed(ok);
        ASSERT_TRUE(mac) << ok;
        EXPECT_EQ(*mac, expected) << ok;
    }
    for (const char* bad : {"12:34:56:78:9A:BC", "123456789ABC", "12-34-56-78-9A", "12-34-56-78-9A-B", "",
                            "1G-34-56-78-9A-BC", "12-34-56-78-9A-BG", "12-34-56-78-9A--BC"}) {
        EXPECT_FALSE(ParseMacDashed(bad)) << bad;
    }
    EXPECT_EQ(FormatMacDashed(expected), "12-34-56-78-9A-BC");
    EXPECT_EQ(ParseMacDashed("02-3C-7A-00-00-00"), (MacAddress{0x02, 0x3C, 0x7A, 0, 0, 0}));
}

TEST(MacText, PlainForm)
{
    const MacAddress mac{0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F};
    EXPECT_EQ(FormatMacPlain(mac), "1A2B3C4D5E6F");
    EXPECT_EQ(ParseMacPlain("1A2B3C4D5E6F"), mac);
    EXPECT_EQ(ParseMacPlain("1a2b3"), (MacAddress{0x1A, 0x2B, 0, 0, 0, 0})); // stops at the first missing pair
    EXPECT_EQ(ParseMacPlain("zz"), (MacAddress{0xEF, 0, 0, 0, 0, 0}));       // 0xFF * 16 + 0xFF modulo 256
    EXPECT_EQ(ParseMacPlain("1A2B3C4D5E6F7788"), mac);
}

TEST(TerminalAddress, EightCharacters)
{
    EXPECT_EQ(ParseTerminalAddress("12345678"), 0x12345678u);
    EXPECT_EQ(ParseTerminalAddress("00ab00ff"), 0x00AB00FFu);
    EXPECT_EQ(ParseTerminalAddress("0012AB0g"), 0x0012ABFFu); // the pair (0, g) is 0 * 16 + 0xFF
    EXPECT_FALSE(ParseTerminalAddress("0012ab"));
    EXPECT_FALSE(ParseTerminalAddress("0012ab0011"));
    EXPECT_FALSE(ParseTerminalAddress(""));
}

} // namespace
} // namespace rv
