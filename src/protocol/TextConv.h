// SPDX-License-Identifier: MIT
#pragma once

// Text conversions of the pages: lenient numbers, the output formats, dotted quads and MAC texts.

#include "protocol/HostFrame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rv {

// '0'..'9' give 0..9, 'a'..'f' and 'A'..'F' give 10..15, anything else 0xFF.
std::uint8_t HexDigitValue(char c);

// Lenient integer: leading blanks (space, tab, CR, LF, VT, FF) skipped, an optional sign, then
// decimal digits up to the first other character; no digits give 0. The value wraps modulo 2^64,
// so its low 8 or 16 bits are the text's value modulo 2^8 or 2^16 however long the text.
std::int64_t ParseLenientInt(std::string_view text);
std::uint16_t ParseLenientU16(std::string_view text); // low 16 bits
std::uint8_t ParseLenientU8(std::string_view text);   // low 8 bits

// Lenient decimal: leading blanks skipped, the longest valid prefix of a decimal floating-point
// number taken, 0 when there is none; stored as single precision.
float ParseLenientFloat(std::string_view text);

// The output formats.
std::string FormatInt(long long v);          // "%d"
std::string FormatUnsigned(unsigned long v); // "%u"
std::string FormatHex2(std::uint8_t v);      // "%02X"
std::string FormatHex8(std::uint32_t v);     // "%08x"
std::string FormatFloat6(float v);           // "%f" of the value widened to double
std::string FormatFloat1(float v);           // "%.1f"

// "%d.%d.%d.%d" from the most significant byte down.
std::string FormatDottedQuad(std::uint32_t v);

// The network page's address parser: '.' closes an octet (done = done << 8 | part), every other
// character enters as part = part * 10 + (code - 48); nothing is rejected. Texts of 256 bytes or
// more are cut to 255 first so that parsing always ends.
std::uint32_t ParseDottedQuad(std::string_view text);

// "1A2B3C4D5E6F": each byte "%02X".
std::string FormatMacPlain(const MacAddress& mac);
// "1A-2B-3C-4D-5E-6F".
std::string FormatMacDashed(const MacAddress& mac);
// The device list's MAC text back to bytes: two characters a byte, HexDigitValue(first) * 16 +
// HexDigitValue(second) modulo 256, stopping at the first missing pair; the rest stays 0.
MacAddress ParseMacPlain(std::string_view text);
// The MAC write's text: six groups of two hex digits separated by '-'. Nothing when the text
// breaks a rule (a non-hex digit, a separator that is not '-', fewer than six groups).
std::optional<MacAddress> ParseMacDashed(std::string_view text);

// The base page's terminal address: exactly 8 characters, four pairs, first pair in the MSB;
// a non-hex character counts 0xFF in its pair. Nothing when the length is not 8.
std::optional<std::uint32_t> ParseTerminalAddress(std::string_view text);

} // namespace rv
