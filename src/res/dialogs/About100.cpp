// SPDX-License-Identifier: MIT
// Dialog 100: the About box.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    icon(11, 17), text(kNoId, "RV-7640-MQD-250主机配置软件V3.0", 40, 10, 125, 8),
    button(1, "确定", 178, 6, 50, 14, Flag::DefaultButton), // IDOK
};
} // namespace

const DialogTemplate kAboutDialog{IDD_ABOUT, "关于 RV-7640-MQD-250配置软件", 235, 55, 9, kControls};
} // namespace rv::res
