// SPDX-License-Identifier: MIT
// Dialog 147: the channel settings page, "通道参数". Combos 1102, 1115..1118 and 1122 are drop-down
// lists; the page fills 1102 and 1115..1118 itself. The A/B edits and the SMS check boxes start
// disabled.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr const char* kChannels = "通道1\n通道2\n通道3\n通道4\n通道5\n通道6\n通道7\n通道8\n通道9\n通道10\n"
                                  "通道11\n通道12\n通道13\n通道14\n通道15\n通道16\n通道17\n通道18\n通道19\n通道20\n"
                                  "通道21\n通道22\n通道23\n通道24\n通道25\n通道26\n通道27\n通道28\n通道29\n通道30\n"
                                  "通道31\n通道32";
constexpr const char* kAttributes = "模拟量1启用模拟量2启用\n模拟量1启用模拟量2禁用\n模拟量1禁用模拟量2启用\n"
                                    "32位无符号\n32位有符号\n浮点型数据\n开关量类型\n浮点型-低Word高Byte";
constexpr unsigned kOff = Flag::Disabled;

constexpr Control kControls[] = {
    group("设备通道参数", 5, 4, 340, 302),
    label("通道号：", 12, 20, 1083),
    dropCombo(1083, 46, 18, 60, 120, kChannels),
    label("通道数据来源：", 114, 20, 1102),
    dropList(1102, 172, 18, 100, 120),
    icon(300, 12),
    label("报警延时(S)：", 12, 38, 1121),
    edit(1121, 66, 36, 40, 12),
    label("数据属性：", 114, 38, 1122),
    dropList(1122, 156, 36, 116, 100, kAttributes),

    group("模拟量1", 10, 52, 330, 98),
    label("模拟量1(温度)上限：", 16, 68, 1103),
    edit(1103, 112, 66, 50, 12),
    label("关联继电器：", 172, 68, 1115),
    dropList(1115, 222, 66, 60, 100),
    label("模拟量1(温度)下限：", 16, 84, 1104),
    edit(1104, 112, 82, 50, 12),
    label("关联继电器：", 172, 84, 1116),
    dropList(1116, 222, 82, 60, 100),
    label("模拟量1(温度)控制回差：", 16, 100, 1500),
    edit(1500, 112, 98, 50, 12),
    label("输出=Ax+B", 172, 100),
    label("A:", 216, 100, 1139),
    edit(1139, 226, 98, 40, 12, kOff),
    label("B:", 272, 100, 1140),
    edit(1140, 282, 98, 40, 12, kOff),
    label("模拟量1名称：", 16, 116, 1135),
    edit(1135, 112, 114, 56, 12),
    text(1148, "模拟量1单位：", 172, 116, 56, 8, 1136),
    edit(1136, 232, 114, 50, 12),
    check(1144, "发生允许短信报警", 16, 132, 90, 12, kOff),
    check(1143, "复归允许短信报警", 172, 132, 90, 12, kOff),

    group("模拟量2", 10, 154, 330, 98),
    label("模拟量2(湿度)上限：", 16, 170, 1105),
    edit(1105, 112, 168, 50, 12),
    label("关联继电器：", 172, 170, 1117),
    dropList(1117, 222, 168, 60, 100),
    label("模拟量2(湿度)下限：", 16, 186, 1106),
    edit(1106, 112, 184, 50, 12),
    label("关联继电器：", 172, 186, 1118),
    dropList(1118, 222, 184, 60, 100),
    label("模拟量2(湿度)控制回差：", 16, 202, 1501),
    edit(1501, 112, 200, 50, 12),
    label("输出=Ax+B", 172, 202),
    label("A:", 216, 202, 1141),
    edit(1141, 226, 200, 40, 12, kOff),
    label("B:", 272, 202, 1142),
    edit(1142, 282, 200, 40, 12, kOff),
    label("模拟量2名称：", 16, 218, 1137),
    edit(1137, 112, 216, 56, 12),
    text(1149, "模拟量2单位：", 172, 218, 56, 8, 1138),
    edit(1138, 232, 216, 50, 12),
    check(1146, "发生允许短信报警", 16, 234, 90, 12, kOff),
    check(1145, "复归允许短信报警", 172, 234, 90, 12, kOff),

    button(1048, "读取通道参数", 60, 260, 70, 18),
    button(1084, "设置通道参数", 200, 260, 70, 18),
    check(1147, "允许编辑所有参数", 60, 286, 80, 10),
};
} // namespace

const DialogTemplate kChannelPage{IDD_CHANNEL_PAGE, "", 350, 312, 9, kControls};
} // namespace rv::res
