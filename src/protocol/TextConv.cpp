// SPDX-License-Identifier: MIT
#include "protocol/TextConv.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

// The pages' own number conversions. They follow the lenient rules of the unit's original tool
// (a leading number is taken, anything else gives 0, values wrap to their field) but depend on
// no C locale: a GUI host may set LC_NUMERIC to a locale whose decimal point is a comma.

namespace rv {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return i;
}

// Every integer format here is at most 20 digits and a sign; a dotted quad is 15 characters.
using FormatBuffer = char[32];

std::string Formatted(const FormatBuffer& buf, int n)
{
    return n > 0 ? std::string(buf, std::min(static_cast<std::size_t>(n), sizeof buf - 1)) : std::string();
}

// "%.<precision>f" of the value, always with '.' as the decimal point.
std::string FormatFixed(double v, int precision)
{
    // The largest float printed in fixed notation has 39 integer digits; doubles are not passed.
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    if (ec != std::errc{}) {
        return {};
    }
    return std::string(buf, end);
}

// Rounds a double to single precision as the FPU does, without relying on an out-of-range
// conversion (which the language leaves undefined).
float ToSingle(double d)
{
    if (std::isfinite(d) && std::fabs(d) > static_cast<double>(FLT_MAX)) {
        // Values from half an ulp above FLT_MAX on round to infinity; below that to FLT_MAX.
        const double threshold = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
        const float big = std::fabs(d) >= threshold ? HUGE_VALF : FLT_MAX;
        return d < 0 ? -big : big;
    }
    return static_cast<float>(d);
}

} // namespace

std::uint8_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return 0xFF;
}

std::int64_t ParseLenientInt(std::string_view text)
{
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^64, so the low bits stay right however long the text.
    std::uint64_t v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (negative) {
        v = ~v + 1;
    }
    return static_cast<std::int64_t>(v);
}

std::uint16_t ParseLenientU16(std::string_view text)
{
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(ParseLenientInt(text)) & 0xFFFF);
}

std::uint8_t ParseLenientU8(std::string_view text)
{
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(ParseLenientInt(text)) & 0xFF);
}

float ParseLenientFloat(std::string_view text)
{
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The longest prefix of the form digits [. digits] [e [sign] digits], with at least one digit
    // in the mantissa; an exponent counts only when digits follow its 'e' and sign.
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0f;
    }
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            end = j;
        }
    }

    double value = 0.0;
    const char* first = text.data() + start;
    const char* last = text.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: decide by the decimal exponent of the number.
        long exponent = 0;
        const char* p = first;
        long intDigits = 0;
        long leadingZeros = 0;
        bool seenNonZero = false;
        bool afterPoint = false;
        for (; p != last && *p != 'e' && *p != 'E'; ++p) {
            if (*p == '.') {
                afterPoint = true;
            } else if (!seenNonZero && *p == '0') {
                if (afterPoint) {
                    ++leadingZeros;
                }
            } else {
                seenNonZero = true;
                if (!afterPoint) {
                    ++intDigits;
                }
            }
        }
        if (p != last) {
            exponent = static_cast<long>(
                std::clamp<std::int64_t>(ParseLenientInt(std::string_view(p + 1, last)), -100000, 100000));
        }
        const long magnitude = exponent + (intDigits > 0 ? intDigits : -leadingZeros);
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    } else if (ec != std::errc{} || ptr != last) {
        value = 0.0;
    }
    return ToSingle(negative ? -value : value);
}

std::string FormatInt(long long v)
{
    FormatBuffer buf;
    return Formatted(buf, std::snprintf(buf, sizeof buf, "%lld", v));
}

std::string FormatUnsigned(unsigned long v)
{
    FormatBuffer buf;
    return Formatted(buf, std::snprintf(buf, sizeof buf, "%lu", v));
}

std::string FormatHex2(std::uint8_t v)
{
    FormatBuffer buf;
    return Formatted(buf, std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(v)));
}

std::string FormatHex8(std::uint32_t v)
{
    FormatBuffer buf;
    return Formatted(buf, std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(v)));
}

std::string FormatFloat6(float v)
{
    return FormatFixed(static_cast<double>(v), 6);
}

std::string FormatFloat1(float v)
{
    return FormatFixed(static_cast<double>(v), 1);
}

std::string FormatDottedQuad(std::uint32_t v)
{
    FormatBuffer buf;
    return Formatted(buf, std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", (v >> 24) & 0xFFu, (v >> 16) & 0xFFu,
                                        (v >> 8) & 0xFFu, v & 0xFFu));
}

std::uint32_t ParseDottedQuad(std::string_view text)
{
    // The unit's parser counts its position in one byte; a longer text is cut so it always ends.
    if (text.size() >= 256) {
        text = text.substr(0, 255);
    }
    std::uint32_t done = 0;
    std::uint32_t part = 0;
    for (char ch : text) {
        if (ch == '.') {
            done = (done << 8) | part;
            part = 0;
        } else {
            // Every other character enters like a digit; the arithmetic wraps at 32 bits.
            part = part * 10u + (static_cast<std::uint32_t>(static_cast<unsigned char>(ch)) - 48u);
        }
    }
    return (done << 8) | part;
}

std::string FormatMacPlain(const MacAddress& mac)
{
    std::string s;
    for (std::uint8_t b : mac) {
        s += FormatHex2(b);
    }
    return s;
}

std::string FormatMacDashed(const MacAddress& mac)
{
    std::string s;
    for (std::size_t k = 0; k < mac.size(); ++k) {
        if (k != 0) {
            s += '-';
        }
        s += FormatHex2(mac[k]);
    }
    return s;
}

MacAddress ParseMacPlain(std::string_view text)
{
    MacAddress mac{};
    for (std::size_t k = 0; k < mac.size() && 2 * k + 1 < text.size(); ++k) {
        mac[k] = static_cast<std::uint8_t>(HexDigitValue(text[2 * k]) * 16 + HexDigitValue(text[2 * k + 1]));
    }
    return mac;
}

std::optional<MacAddress> ParseMacDashed(std::string_view text)
{
    MacAddress mac;
    mac.fill(0xFF);
    bool fault = false;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i + 1 < text.size() && i < 18) {
        const std::uint8_t hi = HexDigitValue(text[i]);
        const std::uint8_t lo = HexDigitValue(text[i + 1]);
        if (hi == 0xFF || lo == 0xFF) {
            fault = true;
        }
        mac[j] = static_cast<std::uint8_t>(hi * 16 + lo);
        // Groups 1 to 5 must be followed by '-'; the end of the text is not one.
        if (i < 15 && (i + 2 >= text.size() || text[i + 2] != '-')) {
            fault = true;
        }
        i += 3;
        ++j;
    }
    if (j != 6 || fault) {
        return std::nullopt;
    }
    return mac;
}

std::optional<std::uint32_t> ParseTerminalAddress(std::string_view text)
{
    if (text.size() != 8) {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const auto pair = static_cast<std::uint8_t>(HexDigitValue(text[2 * k]) * 16 + HexDigitValue(text[2 * k + 1]));
        v = (v << 8) | pair;
    }
    return v;
}

} // namespace rv
