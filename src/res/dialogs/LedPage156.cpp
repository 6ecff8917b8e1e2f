// SPDX-License-Identifier: MIT
// Dialog 156: the LED display settings page, "LED屏参数". Template order is the tab order. The page
// fills 1083 and 1084 itself.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    button(1048, "读取LED屏参数", 62, 308, 60, 16),
    button(1049, "下载LED屏参数", 232, 308, 60, 16),
    listView(1123, 6, 71, 367, 218, Flag::Border),
    text(kNoId, "标头：", 8, 55, 25, 8, 1124),
    edit(1124, 36, 53, 93, 12),
    text(kNoId, "标尾：", 180, 55, 25, 8, 1125),
    edit(1125, 211, 53, 93, 12),
    check(1126, "使用", 138, 54, 32, 10),
    check(1127, "使用", 311, 54, 32, 10),
    text(kNoId, "LED屏X尺寸：", 18, 21, 49, 8, 1077),
    text(kNoId, "LED屏Y尺寸：", 114, 21, 49, 8, 1078),
    edit(1077, 71, 19, 35, 13),
    edit(1078, 170, 19, 35, 13),
    text(kNoId, "通道显示数量：", 10, 38, 57, 8, 1083),
    dropList(1083, 71, 36, 32, 118),
    text(kNoId, "列数：", 138, 38, 25, 8, 1084),
    dropList(1084, 169, 36, 32, 118),
    text(kNoId, "LED屏刷新间隔(S)：", 208, 38, 73, 8, 1128),
    edit(1128, 281, 35, 35, 13),
    check(1144, "数据表格是否显示", 211, 19, 80, 10),
};
} // namespace

const DialogTemplate kLedPage{IDD_LED_PAGE, "", 380, 331, 9, kControls};
} // namespace rv::res
