// SPDX-License-Identifier: MIT
// Feeds arbitrary datagrams to every decoder of the protocol layer. The first byte picks the
// decoder and, for ParamFrames, the next two give the length the HostFrame would claim, so the
// fuzzer also explores lengths beyond the bytes that arrived.

#include "protocol/DeviceRecord.h"
#include "protocol/Gbk.h"
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/Records.h"
#include "protocol/TextConv.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const auto claimed = static_cast<std::uint16_t>((data[1] << 8) | data[2]);
    const rv::ByteView input(data + 3, size - 3);
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());

    static rv::ParamRecords records;
    switch (selector % 8) {
    case 0:
        if (auto reply = rv::ReadHostReply(input)) {
            (void)reply->payload();
            if (reply->command == 10 || reply->command == 11) {
                (void)rv::ParseParamFrame(reply->payload(), reply->length, records);
            } else if (reply->command == 2) {
                (void)rv::DecodeDiscoveryReply(input);
            } else if (reply->command == 3) {
                rv::NetRecord net;
                rv::ByteReader r(reply->payload());
                net.decode(r);
            }
        }
        break;
    case 1:
        (void)rv::ParseParamFrame(input, claimed, records);
        break;
    case 2:
        (void)rv::DecodeDiscoveryReply(input);
        break;
    case 3:
        if (auto req = rv::ReadHostRequest(input)) {
            if (req->command == rv::HostCommand::HC_PARAM) {
                (void)rv::ApplyParamRequest(req->payload, records);
            }
        }
        break;
    case 4:
        (void)rv::ApplyParamRequest(input, records);
        break;
    case 5:
        (void)rv::GbkToUtf8(input);
        (void)rv::Utf8ToGbk(text, claimed % 128);
        break;
    case 6:
        (void)rv::ParseDottedQuad(text);
        (void)rv::ParseMacDashed(text);
        (void)rv::ParseMacPlain(text);
        (void)rv::ParseTerminalAddress(text);
        break;
    default:
        (void)rv::ParseLenientFloat(text);
        (void)rv::ParseLenientInt(text);
        break;
    }
    return 0;
}
