// SPDX-License-Identifier: MIT
#include "pages/ChannelParamPage.h"

#include "res/Resources.h"

namespace rv {

CChannelParamPage::CChannelParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kChannelPage, MessageOwner::ChannelPage, parent)
{}

void CChannelParamPage::OnInitDialog()
{
    for (int id : {IDC_RELAY_UPPER1, IDC_RELAY_LOWER1, IDC_RELAY_UPPER2, IDC_RELAY_LOWER2}) {
        QComboBox* relays = combo(id);
        relays->addItem(QStringLiteral("无"));
        for (int n = 1; n <= 8; ++n) {
            relays->addItem(QStringLiteral("继电器%1").arg(n));
        }
        relays->setCurrentIndex(-1);
    }

    // The data sources in code order: an item's position is the code that travels.
    QComboBox* source = combo(IDC_SOURCE);
    source->clear();
    const auto addNumbered = [source](const char* format, int count) {
        for (int n = 1; n <= count; ++n) {
            source->addItem(QString::fromUtf8(format).arg(n));
        }
    };
    addNumbered("ModBus槽位%1", 32);
    addNumbered("无线槽位%1因子0", 32);
    for (const char* item : {"机载温湿度", "机载大气压力", "机载光照度", "机载交流电压", "机载直流电压"}) {
        source->addItem(QString::fromUtf8(item));
    }
    addNumbered("机载4-20mA电流%1", 3);
    source->addItem(QStringLiteral("机载水浸状态"));
    addNumbered("外部开关量%1", 4);
    for (const char* item : {"本机剩余电量", "本机供电状态", "当前降雨量", "上一日降雨量", "瞬时雨量", "累计降雨量"}) {
        source->addItem(QString::fromUtf8(item));
    }
    addNumbered("ModBus保留槽位%1", 32);
    addNumbered("无线%1剩余电量", 32);
    addNumbered("无线槽位%1因子1", 32);
    addNumbered("无线槽位%1因子2", 32);
    addNumbered("无线槽位%1因子3", 32);
    source->setCurrentIndex(-1);
}

void CChannelParamPage::ShowChannel(std::size_t, const ChannelRecord&) {}

} // namespace rv
