// SPDX-License-Identifier: MIT
// Dialog 138: the base settings page, "基础参数".
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr const char* kZeroTo32 = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n"
                                  "21\n22\n23\n24\n25\n26\n27\n28\n29\n30\n31\n32";

constexpr Control kControls[] = {
    label("通道启用数量：", 27, 31, 1085),
    dropList(1085, 88, 29, 50, 62, kZeroTo32),
    label("终端地址：", 154, 31, 1051),
    edit(1051, 198, 28, 51, 14),

    group("网络运行参数", 15, 66, 292, 50),
    label("服务器数量：", 47, 80, 1050),
    dropCombo(1050, 99, 76, 37, 56, "0\n1\n2\n3\n4\n5\n6\n7\n8", Flag::Disabled),
    label("登陆帧间隔时间：", 160, 78, 1052),
    edit(1052, 228, 75, 36, 14, Flag::Disabled),
    label("秒", 270, 78),
    label("心跳包间隔时间：", 159, 99, 1053),
    edit(1053, 227, 96, 37, 14, Flag::Disabled),
    label("秒", 270, 99),
    label("数据帧间隔时间：", 31, 101, 1054),
    edit(1054, 99, 97, 37, 14, Flag::Disabled),
    label("秒", 141, 99),

    group("标定坐标值", 15, 134, 292, 32),
    label("经度：", 51, 147, 1129),
    edit(1129, 79, 145, 42, 12),
    label("维度：", 131, 147, 1130),
    edit(1130, 161, 145, 42, 12),
    check(1131, "启用", 229, 145, 38, 12),

    label("ModBus通信波特率：", 23, 186, 1083),
    dropList(1083, 99, 183, 39, 96, "2400\n4800\n9600", Flag::Disabled),

    group("监控主机存储参数", 15, 211, 292, 59),
    label("正常数据记录间隔(分钟)：", 31, 231, 1104),
    edit(1104, 131, 229, 32, 12),
    label("告警数据记录间隔(分钟)：", 168, 231, 1106),
    edit(1106, 269, 229, 32, 12),
    label("存储类型：", 32, 249, 1105),
    dropList(1105, 76, 247, 58, 62, "关闭\n关闭\n开启\n自动"),

    button(1049, "读取基础参数", 55, 278, 59, 21),
    button(1048, "写入基础参数", 199, 279, 59, 21),
    check(1136, "允许编辑所有参数", 55, 303, 80, 10),
};
} // namespace

const DialogTemplate kBasePage{IDD_BASE_PAGE, "", 329, 349, 9, kControls};
} // namespace rv::res
