// SPDX-License-Identifier: MIT
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/TextConv.h"

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rv {
namespace {

using test::Hex;
using test::ToHex;

const MacAddress kMac1A{0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F};
const MacAddress kMac12{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};

TEST(HostRequest, GoldenFrames)
{
    struct Case
    {
        const char* what;
        Bytes frame;
        const char* expected;
    };
    const Case cases[] = {
        {"discovery", BuildDiscoverRequest(), "AA 00 01 02 02"},
        {"read network settings", BuildReadNetRequest(kMac1A), "AA 00 07 03 1A 2B 3C 4D 5E 6F 9E"},
        {"network factory reset", BuildNetDefaultsRequest(kMac12), "AA 00 07 06 12 34 56 78 9A BC 70"},
        {"write MAC", BuildWriteMacRequest(kMac12, kMac1A), "AA 00 0D 0F 12 34 56 78 9A BC 1A 2B 3C 4D 5E 6F 14"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(c.frame), c.expected) << c.what;
    }
}

TEST(HostRequest, WriteNetCarriesTheWholeRecord)
{
    NetRecord net;
    net.staticIp = ParseDottedQuad("192.168.0.9");
    net.tail.back() = 0x5A;
    const Bytes frame = BuildWriteNetRequest(kMac12, net);
    ASSERT_EQ(frame.size(), 303u);
    EXPECT_EQ(ToHex(ByteView(frame).first(4)), "AA 01 2B 04"); // N = 299
    EXPECT_EQ(ToHex(ByteView(frame).subspan(11, 4)), "09 00 A8 C0");
    EXPECT_EQ(frame[301], 0x5A);
    EXPECT_EQ(frame[302], HostChecksum(ByteView(frame).subspan(3, 299)));
}

TEST(HostRequest, ParamRequestsWrapTheFrame)
{
    const ParamRecords records;
    const Bytes base = BuildParamRequest(kMac1A, BuildParamFrame(kBaseRead, records));
    ASSERT_EQ(base.size(), 15u);
    EXPECT_EQ(base[2], 11);
    EXPECT_EQ(base[3], 0x0A);
    EXPECT_EQ(ToHex(ByteView(base).subspan(10, 2)), "7E 01");

    const Bytes led = BuildParamRequest(kMac1A, BuildParamFrame(kLedWrite, records));
    ASSERT_EQ(led.size(), 156u);
    EXPECT_EQ(ToHex(ByteView(led).subspan(1, 2)), "00 98");
}

TEST(HostRequest, UnitReadsWhatTheToolBuilds)
{
    const Bytes frames[] = {BuildDiscoverRequest(), BuildReadNetRequest(kMac1A), BuildWriteMacRequest(kMac12, kMac1A),
                            BuildParamRequest(kMac12, BuildParamFrame(kLedWrite, ParamRecords{}))};
    for (const Bytes& f : frames) {
        auto req = ReadHostRequest(f);
        ASSERT_TRUE(req) << ToHex(f);
        EXPECT_EQ(static_cast<std::uint8_t>(req->command), f[3]);
        if (req->command == HostCommand::HC_DISCOVER) {
            EXPECT_TRUE(req->payload.empty());
        } else {
            EXPECT_EQ(req->payload.size(), f.size() - 11);
            EXPECT_TRUE(std::equal(req->mac.begin(), req->mac.end(), f.begin() + 4));
        }
    }
}

TEST(HostRequest, UnitRefusesBrokenRequests)
{
    const Bytes good = BuildReadNetRequest(kMac1A);
    auto withByte = [&](std::size_t i, std::uint8_t v) {
        Bytes b = good;
        b[i] = v;
        return b;
    };
    const Bytes shortOne(good.begin(), good.end() - 1);
    const Bytes broken[] = {
        withByte(0, 0x55),        // reply marker
        withByte(2, 0x08),        // count disagrees with the length
        withByte(10, 0x9F),       // checksum
        shortOne,                 // cut off
        Hex("AA 00 02 03 00 03"), // addressed command without a MAC
        Hex("AA 00 00 00"),       // nothing counted
    };
    for (const Bytes& b : broken) {
        EXPECT_FALSE(ReadHostRequest(b)) << ToHex(b);
    }
}

TEST(HostReply, HeaderIsReadOnlyFromTheDatagram)
{
    EXPECT_FALSE(ReadHostReply({}));
    EXPECT_FALSE(ReadHostReply(Hex("AA 00 01 02 02"))); // our own broadcast coming back

    const Bytes stub = Hex("55 01");
    auto r = ReadHostReply(stub);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->length, 0x0100);
    EXPECT_EQ(r->command, 0);
    EXPECT_TRUE(r->payload().empty());
}

TEST(HostReply, ParamRepliesCarryTheFrameLength)
{
    const Bytes frame = BuildParamReply(kBaseWrite, {}, 703);
    const Bytes dgram = BuildHostReply(11, kMac12, frame);
    auto r = ReadHostReply(dgram);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->command, 11);
    EXPECT_EQ(r->length, frame.size());
    EXPECT_EQ(ToHex(r->payload().first(frame.size())), ToHex(frame));

    // Other replies count like requests: offset 3 up to the sum.
    const Bytes net = BuildHostReply(3, kMac12, Bytes(NetRecord::kSize, 0));
    EXPECT_EQ(ToHex(ByteView(net).first(4)), "55 01 2B 03");
    EXPECT_EQ(net.size(), 303u);
}

} // namespace
} // namespace rv
