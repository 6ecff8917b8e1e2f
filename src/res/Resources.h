// SPDX-License-Identifier: MIT
#pragma once

// The tool's resources: its dialog templates, string 101 and icon 128.

#include "res/DialogTemplate.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace rv::res {

enum DialogId : int
{
    IDD_ABOUT = 100,
    IDD_MAIN = 102,
    IDD_NET_PAGE = 137,
    IDD_BASE_PAGE = 138,
    IDD_GPRS_PAGE = 143,
    IDD_CHANNEL_PAGE = 147,
    IDD_PROGRESS = 152,
    IDD_MODBUS_PAGE = 153,
    IDD_RELAY_PAGE = 154,
    IDD_LED_PAGE = 156,
};

extern const DialogTemplate kAboutDialog;    // 100
extern const DialogTemplate kMainDialog;     // 102
extern const DialogTemplate kNetPage;        // 137
extern const DialogTemplate kBasePage;       // 138
extern const DialogTemplate kGprsPage;       // 143
extern const DialogTemplate kChannelPage;    // 147
extern const DialogTemplate kProgressDialog; // 152
extern const DialogTemplate kModbusPage;     // 153
extern const DialogTemplate kRelayPage;      // 154
extern const DialogTemplate kLedPage;        // 156

// The template of a dialog id; nullptr for an id the tool does not have.
const DialogTemplate* FindDialogTemplate(int id);

// String 101: the About entry of the main window's menu.
inline constexpr const char* IDS_ABOUTBOX = "关于 RV-7640-MQD-250(&A)...";

// The dialogs' font. The templates were drawn for a 9-point CJK font whose Latin characters are
// half as wide as its Chinese ones (6 and 12 pixels); the monospaced face of WenQuanYi Zen Hei
// has exactly these cells, so every row of a template fits as drawn. It ships with the set-up
// (fonts-wqy-zenhei), so the geometry is the same on every machine.
inline constexpr const char* kDialogFontFamily = "WenQuanYi Zen Hei Mono";
QFont DialogFont(int pointSize = 9);

// Icon 128, drawn in code: a unit's front with its display and two status lamps.
QPixmap IconPixmap(int size);
QIcon AppIcon();

} // namespace rv::res
