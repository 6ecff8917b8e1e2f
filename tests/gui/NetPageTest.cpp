// SPDX-License-Identifier: MIT
// The network page: a command-3 reply shown, the record written back, the MAC write and the
// factory reset, as bytes on the wire.
#include "GuiFixture.h"

#include "protocol/HostFrame.h"

#include <QPushButton>

namespace rv::test {
namespace {

using Net = CNetParamPage;

constexpr std::size_t kRecordOffset = 10; // the record follows the header and the target MAC
constexpr MacAddress kMac{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};

class NetPageTest : public GuiTest
{
protected:
    // The record of the one write frame sent since the last clearSent().
    Bytes writtenRecord()
    {
        const std::vector<Bytes> sent = endpoint->sent();
        EXPECT_EQ(sent.size(), 1u);
        if (sent.size() != 1 || sent[0].size() != 303) {
            ADD_FAILURE() << "no 303-byte write frame";
            return Bytes(NetRecord::kSize, 0);
        }
        EXPECT_EQ(sent[0][3], 4); // HC_WRITE_NET
        return Bytes(sent[0].begin() + kRecordOffset, sent[0].begin() + kRecordOffset + NetRecord::kSize);
    }
    Bytes write()
    {
        endpoint->clearSent();
        net().button(Net::IDC_WRITE_NET)->click();
        return writtenRecord();
    }
    void selectUnit(const MacAddress& mac)
    {
        deliverDevice(0x0A4D0002, mac, 1, "u");
        dlg->deviceList()->setCurrentItem(dlg->deviceList()->topLevelItem(0));
        dlg->OnDblclkDeviceList();
    }
    static Bytes slice(const Bytes& b, std::size_t at, std::size_t n)
    {
        return Bytes(b.begin() + at, b.begin() + at + n);
    }
};

TEST_F(NetPageTest, WriteBeforeAnyReadSendsThePageAndZerosElsewhere)
{
    const Bytes r = write();
    EXPECT_EQ(slice(endpoint->sent()[0], 0, 10), (Bytes{0xAA, 0x01, 0x2B, 0x04, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[0], 0x80);
    EXPECT_EQ(slice(r, 1, 4), (Bytes{0x09, 0x00, 0xA8, 0xC0})); // 192.168.0.9
    EXPECT_EQ(slice(r, 5, 4), (Bytes{0x01, 0x00, 0xA8, 0xC0})); // gateway 192.168.0.1
    EXPECT_EQ(slice(r, 9, 4), (Bytes{0x00, 0xFF, 0xFF, 0xFF})); // mask 255.255.255.0
    EXPECT_EQ(slice(r, 13, 6), Bytes(6, 0));
    EXPECT_EQ(r[19], 8);
    EXPECT_EQ(slice(r, 20, 4), (Bytes{0xD0, 0x07, 0x64, 0x09})); // 2000, 2404
    const std::string server = "192.168.0.166";
    EXPECT_EQ(slice(r, 24, server.size()), Bytes(server.begin(), server.end()));
    EXPECT_EQ(slice(r, 24 + server.size(), 30 - server.size()), Bytes(30 - server.size(), 0));
    EXPECT_EQ(slice(r, 54, NetRecord::kSize - 54), Bytes(NetRecord::kSize - 54, 0));

    EXPECT_EQ(infoLog(), "设置参数... \r\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "网络参数已下发，请重新搜索设备，双击设备列表来验证是否下发成功");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].icon, MessageIcon::None);
    EXPECT_EQ(boxes[0].owner, &net());
}

TEST_F(NetPageTest, ReplyIsShownAndWrittenBackWithUneditedBytesKept)
{
    Bytes payload(NetRecord::kSize, 0);
    payload[0] = 0x81;
    const Bytes ip{0x09, 0x00, 0xA8, 0xC0}, gateway{0xFE, 0x00, 0x0A, 0x0A}, mask{0x00, 0x00, 0xFF, 0xFF};
    std::copy(ip.begin(), ip.end(), payload.begin() + 1);
    std::copy(gateway.begin(), gateway.end(), payload.begin() + 5);
    std::copy(mask.begin(), mask.end(), payload.begin() + 9);
    std::fill(payload.begin() + 13, payload.begin() + 19, 0xEE);
    payload[19] = 3;
    payload[20] = 0xFF, payload[21] = 0xFF; // 65535
    payload[22] = 0x34, payload[23] = 0x12; // 4660
    const std::string server1 = "example.org";
    std::copy(server1.begin(), server1.end(), payload.begin() + 24);
    std::fill(payload.begin() + 58, payload.begin() + 88, 'A'); // no NUL up to the field's end
    std::fill(payload.begin() + 88, payload.end(), 0x5A);
    deliver(BuildHostReply(3, kMac, payload));

    EXPECT_EQ(netCombo(Net::IDC_IP_MODE)->currentText(), "StaticIP");
    EXPECT_EQ(netEdit(Net::IDC_STATIC_IP)->text(), "192.168.0.9");
    EXPECT_EQ(netEdit(Net::IDC_GATEWAY)->text(), "10.10.0.254");
    EXPECT_EQ(netEdit(Net::IDC_SUBNET_MASK)->text(), "255.255.0.0");
    EXPECT_TRUE(netEdit(Net::IDC_STATIC_IP)->isEnabled());
    EXPECT_EQ(netEdit(Net::IDC_SERVER1_SOURCE_PORT)->text(), "65535");
    EXPECT_EQ(netEdit(Net::IDC_SERVER1_LISTEN_PORT)->text(), "4660");
    EXPECT_EQ(netEdit(Net::IDC_SERVER1_ADDRESS)->text(), "example.org");
    EXPECT_EQ(netEdit(Net::IDC_SERVER2_ADDRESS)->text(), QString(30, QLatin1Char('A')));
    EXPECT_EQ(netCombo(Net::IDC_MAX_CONNECTIONS)->currentIndex(), 3);
    EXPECT_EQ(infoLog().substr(infoLog().size() - std::string("读取网络参数成功！\r\n").size()),
              "读取网络参数成功！\r\n");
    EXPECT_EQ(dlg->session().m_bUnitSelected.load(), 1);

    const Bytes r = write();
    EXPECT_EQ(r[0], 0x80); // the low bits of 0x81 are not kept
    EXPECT_EQ(slice(r, 1, 12), slice(payload, 1, 12));
    EXPECT_EQ(slice(r, 13, 6), Bytes(6, 0xEE));
    EXPECT_EQ(r[19], 3);
    EXPECT_EQ(slice(r, 20, 4), slice(payload, 20, 4));
    // The server 2 text comes back cut to 29 characters and its NUL.
    EXPECT_EQ(slice(r, 58, 30), [] {
        Bytes b(29, 'A');
        b.push_back(0);
        return b;
    }());
    EXPECT_EQ(slice(r, 88, NetRecord::kSize - 88), Bytes(NetRecord::kSize - 88, 0x5A));
}

TEST_F(NetPageTest, DhcpDisablesTheAddressesButStillSendsThem)
{
    netCombo(Net::IDC_IP_MODE)->setCurrentIndex(1);
    for (int id : {Net::IDC_STATIC_IP, Net::IDC_SUBNET_MASK, Net::IDC_GATEWAY}) {
        EXPECT_FALSE(netEdit(id)->isEnabled()) << id;
    }
    netEdit(Net::IDC_STATIC_IP)->setText("10.1");
    const Bytes r = write();
    EXPECT_EQ(r[0], 0x00);
    EXPECT_EQ(slice(r, 1, 4), (Bytes{0x01, 0x0A, 0x00, 0x00})); // "10.1" is 0x0A01
    EXPECT_EQ(slice(r, 9, 4), (Bytes{0x00, 0xFF, 0xFF, 0xFF}));

    netCombo(Net::IDC_IP_MODE)->setCurrentIndex(0);
    EXPECT_TRUE(netEdit(Net::IDC_GATEWAY)->isEnabled());
    netCombo(Net::IDC_IP_MODE)->setCurrentIndex(-1);
    EXPECT_EQ(write()[0], 0x80); // no selection counts as static
}

TEST_F(NetPageTest, PortsAreTakenLenientlyModulo65536)
{
    struct Case
    {
        const char* text;
        std::uint16_t value;
    };
    for (const Case& c : {Case{"70000", 4464}, {"abc", 0}, {"  -1", 65535}, {"2404x", 2404}, {"", 0}}) {
        netEdit(Net::IDC_SERVER1_SOURCE_PORT)->setText(c.text);
        const Bytes r = write();
        EXPECT_EQ(r[20] | (r[21] << 8), c.value) << c.text;
    }
}

TEST_F(NetPageTest, ServerTextIsCutBeforeACharacterThatDoesNotFit)
{
    // Fifteen Chinese characters are 30 GBK bytes: fourteen fit before the NUL.
    netEdit(Net::IDC_SERVER1_ADDRESS)->setText("一二三四五六七八九十一二三四五");
    const Bytes r = write();
    EXPECT_NE(r[24 + 27], 0);
    EXPECT_EQ(slice(r, 24 + 28, 2), (Bytes{0, 0}));
    EXPECT_EQ(slice(r, 54, 4), (Bytes{0, 0, 0, 0})); // server 2's ports stay where they were
}

TEST_F(NetPageTest, MacTextsAreCheckedBeforeTheyAreWritten)
{
    struct Case
    {
        const char* text;
        bool accepted;
    };
    for (const Case& c : {Case{"12-34-56-78-9a-bc", true},
                          {"12-34-56-78-9A-BC", true},
                          {"12:34:56:78:9A:BC", false},
                          {"123456789ABC", false},
                          {"12-34-56-78-9A", false}}) {
        endpoint->clearSent();
        netEdit(Net::IDC_MAC)->setText(c.text);
        net().button(Net::IDC_WRITE_MAC)->click();
        if (c.accepted) {
            ASSERT_EQ(endpoint->sentCount(), 1u) << c.text;
            const Bytes frame = endpoint->sent()[0];
            EXPECT_EQ(slice(frame, 0, 4), (Bytes{0xAA, 0x00, 0x0D, 0x0F})) << c.text;
            EXPECT_EQ(slice(frame, 10, 6), Bytes(kMac.begin(), kMac.end())) << c.text;
            EXPECT_EQ(infoLog(), "写入MAC地址...\r\n");
        } else {
            EXPECT_EQ(endpoint->sentCount(), 0u) << c.text;
            EXPECT_EQ(infoLog(), "不合格的MAC地址格式!!!\r\n");
        }
    }
}

TEST_F(NetPageTest, FactoryResetIsAddressedToTheSelectedUnit)
{
    selectUnit(kMac);
    EXPECT_EQ(netEdit(Net::IDC_MAC)->text(), "12-34-56-78-9A-BC");
    endpoint->clearSent();
    net().button(Net::IDC_NET_DEFAULTS)->click();
    ASSERT_EQ(endpoint->sentCount(), 1u);
    EXPECT_EQ(endpoint->sent()[0], (Bytes{0xAA, 0x00, 0x07, 0x06, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x70}));
    EXPECT_EQ(infoLog(), "恢复出厂设置...\r\n");
}

} // namespace
} // namespace rv::test
