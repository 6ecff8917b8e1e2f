// SPDX-License-Identifier: MIT
#pragma once

// Golden frames are written as hex text in the tests: "AA 00 01 02 02".

#include "protocol/ByteIo.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace rv::test {

inline Bytes Hex(std::string_view text)
{
    Bytes out;
    int nibbles = 0;
    unsigned v = 0;
    for (char c : text) {
        unsigned d = 0;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else {
            continue;
        }
        v = v * 16 + d;
        if (++nibbles == 2) {
            out.push_back(static_cast<std::uint8_t>(v));
            nibbles = 0;
            v = 0;
        }
    }
    return out;
}

inline std::string ToHex(ByteView bytes)
{
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", bytes[i]);
        s += buf;
    }
    return s;
}

inline Bytes Encoded(const auto& record)
{
    Bytes out;
    ByteWriter w(out);
    record.encode(w);
    return out;
}

template <typename Record>
Record Decoded(ByteView bytes)
{
    Record r{};
    ByteReader reader(bytes);
    r.decode(reader);
    return r;
}

} // namespace rv::test
