// SPDX-License-Identifier: MIT
// Random and truncated datagrams thrown at every decoder. Each input lives in a heap block of
// exactly its own size, so that under AddressSanitizer a read one byte past the datagram fails.

#include "protocol/DeviceRecord.h"
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/Records.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace rv {
namespace {

class Exact
{
public:
    explicit Exact(ByteView bytes)
        : m_size(bytes.size()), m_data(new std::uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)])
    {
        std::copy(bytes.begin(), bytes.end(), m_data.get());
    }
    ByteView view() const { return {m_data.get(), m_size}; }

private:
    std::size_t m_size;
    std::unique_ptr<std::uint8_t[]> m_data;
};

// Runs every decoder over one datagram and checks what each may and may not do.
void Hammer(ByteView input, std::uint16_t claimed)
{
    const Exact exact(input);
    const ByteView d = exact.view();

    if (auto reply = ReadHostReply(d)) {
        const ByteView p = reply->payload();
        if (!p.empty()) {
            EXPECT_EQ(p.data() + p.size(), d.data() + d.size());
        }
        ParamRecords records;
        const ParseResult r = ParseParamFrame(p, reply->length, records);
        if (r.outcome != ParseOutcome::Accepted) {
            EXPECT_EQ(records, ParamRecords{});
        }
        NetRecord net;
        ByteReader nr(p);
        net.decode(nr);
    }
    (void)DecodeDiscoveryReply(d);

    ParamRecords records;
    const ParseResult r = ParseParamFrame(d, claimed, records);
    if (claimed > d.size()) {
        EXPECT_NE(r.outcome, ParseOutcome::Accepted);
    }
    if (r.outcome != ParseOutcome::Accepted) {
        EXPECT_EQ(records, ParamRecords{});
    }

    if (auto req = ReadHostRequest(d)) {
        EXPECT_EQ(d.size(), static_cast<std::size_t>((d[1] << 8 | d[2]) + 4));
        (void)ApplyParamRequest(req->payload, records);
    }
    (void)ApplyParamRequest(d, records);
}

TEST(Robustness, RandomDatagrams)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> len(0, 320);
    for (int i = 0; i < 20000; ++i) {
        Bytes b(len(rng));
        for (auto& x : b) {
            x = static_cast<std::uint8_t>(byte(rng));
        }
        // Steer some inputs past the first checks so the deeper paths run too.
        if (!b.empty() && i % 3 == 0) {
            b[0] = (i % 2 == 0) ? kReplyMarker : kParamStart;
        }
        Hammer(b, static_cast<std::uint16_t>(byte(rng) << 8 | byte(rng)));
        Hammer(b, static_cast<std::uint16_t>(b.size() + static_cast<std::size_t>(byte(rng) % 8)));
    }
}

TEST(Robustness, TruncatedValidFrames)
{
    ParamRecords unit;
    unit.led.headerText.fill('H');
    const MacAddress mac{1, 2, 3, 4, 5, 6};
    for (unsigned code = 1; code <= 150; ++code) {
        const auto sub = static_cast<std::uint8_t>(code);
        const Bytes frame = BuildParamReply(sub, EncodeParamPayload(sub, unit), 703);
        const Bytes reply = BuildHostReply(10, mac, frame);
        const Bytes request = BuildParamRequest(mac, BuildParamFrame(code, unit));
        for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
            Hammer(ByteView(reply).first(cut), static_cast<std::uint16_t>(frame.size()));
            Hammer(ByteView(frame).first(std::min(cut, frame.size())), static_cast<std::uint16_t>(frame.size()));
        }
        for (std::size_t cut = 0; cut <= request.size(); ++cut) {
            Hammer(ByteView(request).first(cut), static_cast<std::uint16_t>(cut));
        }
        // The whole reply goes through: cutting is what made the others fail.
        ParamRecords tool;
        EXPECT_EQ(ParseParamFrame(Exact(frame).view(), static_cast<std::uint16_t>(frame.size()), tool).code(), sub);
    }
    const Bytes net = BuildHostReply(3, mac, Bytes(NetRecord::kSize, 0x42));
    for (std::size_t cut = 0; cut <= net.size(); ++cut) {
        Hammer(ByteView(net).first(cut), 0);
    }
}

} // namespace
} // namespace rv
