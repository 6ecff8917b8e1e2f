// SPDX-License-Identifier: MIT
#pragma once

// Bounds-checked byte reader and writer. Every byte of the wire goes through these, with the
// byte order in the method name; nothing is ever copied as a struct. A short read fails and
// yields zero; it never reads past the end of the bytes it was given.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace rv {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

class ByteReader
{
public:
    explicit ByteReader(ByteView data, std::size_t offset = 0) : m_data(data), m_pos(offset) {}

    bool canRead(std::size_t n) const { return m_pos <= m_data.size() && m_data.size() - m_pos >= n; }
    bool ok() const { return m_ok; }
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_pos <= m_data.size() ? m_data.size() - m_pos : 0; }

    std::uint8_t u8()
    {
        if (!canRead(1)) {
            return fail<std::uint8_t>();
        }
        return m_data[m_pos++];
    }

    std::uint16_t u16le()
    {
        if (!canRead(2)) {
            return fail<std::uint16_t>();
        }
        auto v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }

    std::uint16_t u16be()
    {
        if (!canRead(2)) {
            return fail<std::uint16_t>();
        }
        auto v = static_cast<std::uint16_t>((m_data[m_pos] << 8) | m_data[m_pos + 1]);
        m_pos += 2;
        return v;
    }

    std::uint32_t u32le()
    {
        if (!canRead(4)) {
            return fail<std::uint32_t>();
        }
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = (v << 8) | m_data[m_pos + static_cast<std::size_t>(i)];
        }
        m_pos += 4;
        return v;
    }

    // IEEE 754 single precision, least significant byte first.
    float f32le() { return std::bit_cast<float>(u32le()); }

    // Copies n bytes into out; on a short read out is zero-filled and the reader fails.
    void bytes(std::uint8_t* out, std::size_t n)
    {
        if (!canRead(n)) {
            std::memset(out, 0, n);
            m_ok = false;
            m_pos = m_data.size();
            return;
        }
        if (n != 0) { // an empty view may have no storage at all: memcpy from null is undefined
            std::memcpy(out, m_data.data() + m_pos, n);
        }
        m_pos += n;
    }

    template <std::size_t N>
    void bytes(std::array<std::uint8_t, N>& out, std::size_t n = N)
    {
        bytes(out.data(), n);
    }

    void skip(std::size_t n)
    {
        if (!canRead(n)) {
            m_ok = false;
            m_pos = m_data.size();
            return;
        }
        m_pos += n;
    }

private:
    template <typename T>
    T fail()
    {
        m_ok = false;
        m_pos = m_data.size();
        return T{};
    }

    ByteView m_data;
    std::size_t m_pos;
    bool m_ok = true;
};

class ByteWriter
{
public:
    explicit ByteWriter(Bytes& out) : m_out(out) {}

    void putU8(std::uint8_t v) { m_out.push_back(v); }
    void putU16le(std::uint16_t v)
    {
        m_out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        m_out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void putU16be(std::uint16_t v)
    {
        m_out.push_back(static_cast<std::uint8_t>(v >> 8));
        m_out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    void putU32le(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            m_out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
        }
    }
    void putF32le(float v) { putU32le(std::bit_cast<std::uint32_t>(v)); }
    void putBytes(const std::uint8_t* p, std::size_t n) { m_out.insert(m_out.end(), p, p + n); }
    void putBytes(ByteView v) { m_out.insert(m_out.end(), v.begin(), v.end()); }
    template <std::size_t N>
    void putBytes(const std::array<std::uint8_t, N>& a, std::size_t n = N)
    {
        putBytes(a.data(), n);
    }
    void putZeros(std::size_t n) { m_out.insert(m_out.end(), n, 0); }

    std::size_t size() const { return m_out.size(); }

private:
    Bytes& m_out;
};

} // namespace rv
