// SPDX-License-Identifier: MIT
// Dialog 102: the main window.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    group("电脑网卡IP", 7, 7, 236, 41),
    edit(1005, 15, 25, 74, 14, Flag::ReadOnly),
    edit(1006, 106, 25, 40, 14, Flag::ReadOnly),
    button(1002, "搜索", 157, 22, 77, 21),
    text(1000, "监控主机列表", 12, 52, 56, 8, 1001),
    listView(1001, 7, 64, 240, 143, Flag::SingleSelection | Flag::Border),
    text(kNoId, "信息提示区", 7, 212, 41, 8, 1007),
    edit(1007, 7, 229, 240, 127, Flag::MultiLine | Flag::UpperCase),
    tabControl(1047, 260, 7, 362, 347),
};
} // namespace

const DialogTemplate kMainDialog{IDD_MAIN, "RV-7640-MQD-250 主机配置软件 V3.0", 641, 373, 9, kControls};
} // namespace rv::res
