// SPDX-License-Identifier: MIT
#pragma once

// The main window (dialog 102): the PC's address, the device list, the info area and the tab
// control with the seven pages. It hosts the session: every view call of the session lands here
// on the user-interface thread.

#include "app/ProgressDlg.h"
#include "net/Session.h"
#include "net/SessionView.h"
#include "res/DialogBuilder.h"

#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QWidget>

#include <array>
#include <memory>

namespace rv {

class CParamPage;
class CNetParamPage;
class CBaseParamPage;
class CGprsParamPage;
class CChannelParamPage;
class CLedParamPage;
class CModbusParamPage;
class CRelayParamPage;

class CConfigDlg : public QWidget, public SessionView
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_DEVICE_LIST_CAPTION = 1000,
        IDC_DEVICE_LIST = 1001,
        IDC_SEARCH = 1002,
        IDC_LOCAL_ADDRESS = 1005,
        IDC_PORT = 1006,
        IDC_INFO = 1007,
        IDC_TAB = 1047,
    };

    // The session is made here, on the given endpoint, and started by OnInitDialog.
    explicit CConfigDlg(std::unique_ptr<Endpoint> endpoint, SessionOptions options = {}, QWidget* parent = nullptr);
    ~CConfigDlg() override;

    // The help text that the info area shows at start-up.
    static const char* const kHelpText;
    // Widths of the four device-list columns for a list client width: 3/11, 3/11, 3/11 and 2/11.
    static std::array<int, 4> DeviceListColumnWidths(int clientWidth);

    Session& session() { return *m_session; }
    QWidget* control(int id) const { return m_controls.control(id); }
    res::TabControl* tab() const { return m_tab; }
    QTreeWidget* deviceList() const { return m_list; }
    QPlainTextEdit* infoEdit() const { return m_info; }
    CProgressDlg& progressDlg() { return *m_progressDlg; }
    // The page shown for a tab index (0 network, 1 GPRS, 2 base, 3 channel, 4 ModBus, 5 relay,
    // 6 LED).
    CParamPage* page(int tabIndex) const;
    CNetParamPage& netPage() const { return *m_netPage; }
    CBaseParamPage& basePage() const { return *m_basePage; }
    CGprsParamPage& gprsPage() const { return *m_gprsPage; }

    void OnSearch();
    void OnDblclkDeviceList();
    void OnSelchangeTab();
    void OnAbout();

    // ---- SessionView ----
    void post(std::function<void()> fn) override;
    void addDeviceRow(const DeviceRecord& device) override;
    void clearDeviceRows() override;
    void showSelectedMac(const std::string& dashedMac) override;
    void showNetRecord(const NetRecord& record) override;
    void showBaseRecord(const BaseRecord& record) override;
    void showGprsRecord(const GprsRecord& record) override;
    void showChannel(std::size_t index, const ChannelRecord& record) override;
    void showRelay(std::size_t index, const RelayRecord& record) override;
    void showSlot(std::size_t index, const ModbusSlotRecord& record) override;
    void showLedRecord(const LedRecord& record) override;
    void refresh(const std::string& infoLog) override;
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon, MessageOwner owner) override;
    void setProgressText(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    QWidget* ownerWidget(MessageOwner owner);

    res::ControlMap m_controls;
    res::TabControl* m_tab = nullptr;
    QTreeWidget* m_list = nullptr;
    QPlainTextEdit* m_info = nullptr;
    CNetParamPage* m_netPage = nullptr;
    CBaseParamPage* m_basePage = nullptr;
    CGprsParamPage* m_gprsPage = nullptr;
    CChannelParamPage* m_channelPage = nullptr;
    CProgressDlg* m_progressDlg = nullptr;
    CLedParamPage* m_ledPage = nullptr;
    CModbusParamPage* m_modbusPage = nullptr;
    CRelayParamPage* m_relayPage = nullptr;
    std::unique_ptr<Session> m_session;
};

} // namespace rv
