// SPDX-License-Identifier: MIT
// Dialog 154: the relay settings page, "继电器参数". The page fills 1083 itself.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    group("继电器参数", 20, 10, 300, 180),
    icon(30, 26),
    label("继电器编号：", 70, 32, 1083),
    dropCombo(1083, 140, 30, 70, 100),
    label("继电器工作模式：", 70, 60, 1084),
    dropList(1084, 140, 58, 90, 60, "远程控制\n自动控制\n定时控制"),
    label("继电器启动间隔：", 70, 88, 1116),
    edit(1116, 140, 86, 50, 12),
    label("分钟", 196, 88),
    label("继电器启动时长：", 70, 116, 1117),
    edit(1117, 140, 114, 50, 12),
    label("秒", 196, 116),
    button(1048, "读取参数", 60, 150, 70, 18),
    button(1049, "下载参数", 200, 150, 70, 18),
};
} // namespace

const DialogTemplate kRelayPage{IDD_RELAY_PAGE, "", 340, 200, 9, kControls};
} // namespace rv::res
