// SPDX-License-Identifier: MIT
#pragma once

// GBK, the code page of the unit's texts, to and from UTF-8 (the tool's own text).

#include "protocol/ByteIo.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rv {

// Decodes GBK bytes; a byte sequence that is not GBK becomes U+FFFD.
std::string GbkToUtf8(ByteView gbk);
// Decodes up to the first zero byte (or the end).
std::string GbkFieldToUtf8(ByteView field);

// Encodes UTF-8 as GBK; a character GBK lacks becomes '?'.
Bytes Utf8ToGbk(std::string_view utf8);
// The same, cut to at most maxBytes before the first character that does not fit whole.
Bytes Utf8ToGbk(std::string_view utf8, std::size_t maxBytes);

// Puts a text into a fixed field of a record: the whole field is cleared, then at most maxBytes
// of GBK (cut before a character that does not fit whole) are written from its start.
void StoreGbkField(std::span<std::uint8_t> field, std::string_view utf8, std::size_t maxBytes);

} // namespace rv
