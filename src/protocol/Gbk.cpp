// SPDX-License-Identifier: MIT
#include "protocol/Gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

// The unit's texts are GBK. glibc's iconv does the mapping; it reports every byte or character
// it cannot map, and we replace those ourselves so that no text is ever refused whole.
// Each thread keeps its own pair of converters, reset before every use, so the codec is safe to
// call from any thread and costs no iconv_open per text.

namespace rv {
namespace {

class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much as it can; returns iconv's result and leaves errno as iconv set it.
    std::size_t convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
    {
        // iconv takes a non-const input pointer for historical reasons; it never writes through it.
        auto* src = const_cast<char*>(in);
        std::size_t r = iconv(m_cd, &src, &inLeft, &out, &outLeft);
        in = src;
        return r;
    }

private:
    iconv_t m_cd;
};

Converter& decoder()
{
    thread_local Converter c("UTF-8", "GBK");
    return c;
}

Converter& encoder()
{
    thread_local Converter c("GBK", "UTF-8");
    return c;
}

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

// Length of the well-formed UTF-8 sequence at the start of s, or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view s)
{
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 < 0x80) {
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        lo = b0 == 0xE0 ? 0xA0 : 0x80;
        hi = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        lo = b0 == 0xF0 ? 0x90 : 0x80;
        hi = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < n) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) {
            return 0;
        }
    }
    return n;
}

// Bytes of the GBK character that starts with lead: a lead byte 0x81..0xFE opens a pair.
std::size_t GbkCharLength(std::uint8_t lead)
{
    return lead >= 0x81 && lead <= 0xFE ? 2 : 1;
}

} // namespace

std::string GbkToUtf8(ByteView gbk)
{
    std::string out;
    if (gbk.empty()) {
        return out;
    }
    Converter& cd = decoder();
    if (!cd.valid()) {
        // Without the converter only ASCII can be trusted.
        for (std::uint8_t b : gbk) {
            if (b < 0x80) {
                out.push_back(static_cast<char>(b));
            } else {
                out += kReplacementUtf8;
            }
        }
        return out;
    }
    cd.reset();
    const char* in = reinterpret_cast<const char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    // A GBK byte never becomes more than three UTF-8 bytes.
    std::string buf(gbk.size() * 3 + 4, '\0');
    while (inLeft > 0) {
        char* dst = buf.data();
        std::size_t outLeft = buf.size();
        std::size_t r = cd.convert(in, inLeft, dst, outLeft);
        const int err = errno;
        out.append(buf.data(), static_cast<std::size_t>(dst - buf.data()));
        if (r != static_cast<std::size_t>(-1)) {
            break;
        }
        if (err == EILSEQ) {
            // A byte that starts no GBK character: replace it and go on with the next byte, which
            // may well be a character of its own (an ASCII byte after a stray lead byte).
            out += kReplacementUtf8;
            ++in;
            --inLeft;
            cd.reset();
        } else if (err == EINVAL) {
            // A lead byte cut off by the end of the field.
            out += kReplacementUtf8;
            break;
        } else if (err != E2BIG) {
            break;
        }
    }
    return out;
}

std::string GbkFieldToUtf8(ByteView field)
{
    auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return GbkToUtf8(field.first(static_cast<std::size_t>(end - field.begin())));
}

Bytes Utf8ToGbk(std::string_view utf8)
{
    Bytes out;
    if (utf8.empty()) {
        return out;
    }
    Converter& cd = encoder();
    out.reserve(utf8.size());
    if (cd.valid()) {
        cd.reset();
    }
    char buf[8];
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        // One character at a time: a character GBK lacks must become exactly one '?', and an
        // ill-formed byte one '?' as well.
        const std::size_t n = Utf8SequenceLength(utf8.substr(pos));
        if (n == 0) {
            out.push_back('?');
            ++pos;
            continue;
        }
        if (n == 1) {
            out.push_back(static_cast<std::uint8_t>(utf8[pos]));
            ++pos;
            continue;
        }
        bool converted = false;
        if (cd.valid()) {
            const char* in = utf8.data() + pos;
            std::size_t inLeft = n;
            char* dst = buf;
            std::size_t outLeft = sizeof buf;
            if (cd.convert(in, inLeft, dst, outLeft) != static_cast<std::size_t>(-1) && inLeft == 0) {
                for (char* p = buf; p != dst; ++p) {
                    out.push_back(static_cast<std::uint8_t>(*p));
                }
                converted = true;
            } else {
                cd.reset();
            }
        }
        if (!converted) {
            out.push_back('?');
        }
        pos += n;
    }
    return out;
}

Bytes Utf8ToGbk(std::string_view utf8, std::size_t maxBytes)
{
    Bytes out = Utf8ToGbk(utf8);
    // Keep whole characters only: a double-byte character that would straddle the limit goes,
    // so the field never ends in half a character.
    std::size_t keep = 0;
    while (keep < out.size()) {
        const std::size_t n = GbkCharLength(out[keep]);
        if (keep + n > maxBytes || keep + n > out.size()) {
            break;
        }
        keep += n;
    }
    out.resize(keep);
    return out;
}

void StoreGbkField(std::span<std::uint8_t> field, std::string_view utf8, std::size_t maxBytes)
{
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    const Bytes gbk = Utf8ToGbk(utf8, std::min(maxBytes, field.size()));
    std::copy(gbk.begin(), gbk.end(), field.begin());
}

} // namespace rv
