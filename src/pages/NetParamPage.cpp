// SPDX-License-Identifier: MIT
#include "pages/NetParamPage.h"

#include "protocol/Gbk.h"
#include "protocol/TextConv.h"
#include "res/Resources.h"

#include <algorithm>

namespace rv {

namespace {
constexpr int kDhcpItem = 1;

// A server address field: the text up to its first zero byte, never past the field's end.
QString FieldText(const std::array<std::uint8_t, NetRecord::kServerAddressSize>& field)
{
    return QString::fromStdString(GbkFieldToUtf8(ByteView(field.data(), field.size())));
}

// The text as GBK, at most 29 bytes (cut before a character that does not fit whole), then zeros
// to the field's end: the unit reads the field as a NUL-terminated string.
void StoreField(std::array<std::uint8_t, NetRecord::kServerAddressSize>& field, const std::string& text)
{
    StoreGbkField(field, text, field.size() - 1);
}
} // namespace

CNetParamPage::CNetParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kNetPage, MessageOwner::NetPage, parent)
{
    OnClicked(IDC_WRITE_NET, &CNetParamPage::OnWriteNetParams);
    OnClicked(IDC_WRITE_MAC, &CNetParamPage::OnWriteMac);
    OnClicked(IDC_NET_DEFAULTS, &CNetParamPage::OnNetFactoryReset);
    connect(combo(IDC_IP_MODE), &QComboBox::currentIndexChanged, this, &CNetParamPage::OnSelchangeIpMode);
}

void CNetParamPage::SetStartupValues()
{
    SetDlgItemText(IDC_STATIC_IP, QStringLiteral("192.168.0.9"));
    SetDlgItemText(IDC_SUBNET_MASK, QStringLiteral("255.255.255.0"));
    SetDlgItemText(IDC_GATEWAY, QStringLiteral("192.168.0.1"));
    SetDlgItemText(IDC_SERVER1_SOURCE_PORT, QStringLiteral("2000"));
    SetDlgItemText(IDC_SERVER1_LISTEN_PORT, QStringLiteral("2404"));
    SetDlgItemText(IDC_SERVER1_ADDRESS, QStringLiteral("192.168.0.166"));
    SetDlgItemText(IDC_SERVER2_SOURCE_PORT, QStringLiteral("0"));
    SetDlgItemText(IDC_SERVER2_LISTEN_PORT, QStringLiteral("0"));
    SetDlgItemText(IDC_SERVER2_ADDRESS, QString());
    SetCurSel(IDC_MAX_CONNECTIONS, 8);
    SetDlgItemText(IDC_MAC, QStringLiteral("02-3C-7A-00-00-00"));
    SetCurSel(IDC_IP_MODE, 0);
    EnableStaticAddress(true);
}

void CNetParamPage::ShowRecord(const NetRecord& record)
{
    SetCurSel(IDC_IP_MODE, IpModeFromByte(record.ipMode));
    SetDlgItemText(IDC_STATIC_IP, FormatDottedQuad(record.staticIp));
    SetDlgItemText(IDC_SUBNET_MASK, FormatDottedQuad(record.subnetMask));
    SetDlgItemText(IDC_GATEWAY, FormatDottedQuad(record.gateway));
    EnableStaticAddress(GetCurSel(IDC_IP_MODE) != kDhcpItem);

    SetDlgItemText(IDC_SERVER1_SOURCE_PORT, FormatUnsigned(record.server1SourcePort));
    SetDlgItemText(IDC_SERVER1_ADDRESS, FieldText(record.server1Address));
    SetDlgItemText(IDC_SERVER1_LISTEN_PORT, FormatUnsigned(record.server1ListenPort));
    SetDlgItemText(IDC_SERVER2_SOURCE_PORT, FormatUnsigned(record.server2SourcePort));
    SetDlgItemText(IDC_SERVER2_ADDRESS, FieldText(record.server2Address));
    SetDlgItemText(IDC_SERVER2_LISTEN_PORT, FormatUnsigned(record.server2ListenPort));

    SetCurSel(IDC_MAX_CONNECTIONS, record.maxConnections);
}

void CNetParamPage::ShowSelectedMac(const std::string& dashedMac)
{
    SetDlgItemText(IDC_MAC, dashedMac);
}

void CNetParamPage::OnWriteNetParams()
{
    // Every field is read, enabled or not; the bytes the page does not edit keep what the last
    // reply brought.
    NetRecord& r = session().netRecord();
    r.staticIp = ParseDottedQuad(GetDlgItemText(IDC_STATIC_IP));
    r.subnetMask = ParseDottedQuad(GetDlgItemText(IDC_SUBNET_MASK));
    r.gateway = ParseDottedQuad(GetDlgItemText(IDC_GATEWAY));
    r.ipMode = IpModeToByte(GetCurSel(IDC_IP_MODE));
    StoreField(r.server1Address, GetDlgItemText(IDC_SERVER1_ADDRESS));
    r.server1SourcePort = ParseLenientU16(GetDlgItemText(IDC_SERVER1_SOURCE_PORT));
    r.server1ListenPort = ParseLenientU16(GetDlgItemText(IDC_SERVER1_LISTEN_PORT));
    StoreField(r.server2Address, GetDlgItemText(IDC_SERVER2_ADDRESS));
    r.server2SourcePort = ParseLenientU16(GetDlgItemText(IDC_SERVER2_SOURCE_PORT));
    r.server2ListenPort = ParseLenientU16(GetDlgItemText(IDC_SERVER2_LISTEN_PORT));
    r.maxConnections = static_cast<std::uint8_t>(GetCurSel(IDC_MAX_CONNECTIONS) & 0xFF);
    session().writeNetRecord();
}

void CNetParamPage::OnWriteMac()
{
    session().writeMac(GetDlgItemText(IDC_MAC));
}

void CNetParamPage::OnNetFactoryReset()
{
    session().netFactoryReset();
}

void CNetParamPage::OnSelchangeIpMode()
{
    EnableStaticAddress(GetCurSel(IDC_IP_MODE) != kDhcpItem);
}

void CNetParamPage::EnableStaticAddress(bool enable)
{
    EnableItem(IDC_STATIC_IP, enable);
    EnableItem(IDC_SUBNET_MASK, enable);
    EnableItem(IDC_GATEWAY, enable);
}

} // namespace rv
