// SPDX-License-Identifier: MIT
// Dialog 143: the GPRS and SMS settings page, "GPRS参数". Here 1048 reads and 1049 writes.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    group("GPRS无线参数", 20, 7, 288, 253),
    label("登陆帧间隔：", 78, 23, 1082),
    edit(1082, 137, 21, 56, 12, Flag::Disabled),
    label("S", 201, 23),
    label("心跳帧间隔：", 78, 41, 1083),
    edit(1083, 137, 37, 56, 12, Flag::Disabled),
    label("S", 201, 39),
    label("数据帧间隔：", 78, 56, 1084),
    edit(1084, 137, 54, 56, 12, Flag::Disabled),
    label("S", 201, 55),
    label("GPRS目标地址或域名：", 46, 82, 1078),
    edit(1078, 136, 79, 122, 14),
    label("GPRS目标端口：", 70, 102, 1079),
    edit(1079, 136, 99, 45, 14),
    label("告警目标手机号码1：", 50, 126, 1080),
    edit(1080, 136, 124, 54, 14),
    label("告警目标手机号码2：", 50, 143, 1085),
    edit(1085, 136, 141, 54, 14),
    label("告警目标手机号码3：", 50, 161, 1086),
    edit(1086, 136, 159, 54, 14),
    label("告警目标手机号码4：", 50, 179, 1087),
    edit(1087, 136, 177, 54, 14),
    label("告警目标手机号码5：", 49, 197, 1088),
    edit(1088, 136, 195, 54, 14),
    label("报警短信发送间隔：", 54, 221, 1081),
    edit(1081, 136, 217, 52, 14),
    label("单位：分钟（0-1000）", 194, 221),
    label("GPRS工作类型：", 70, 241, 1094),
    dropCombo(1094, 135, 239, 104, 54, "传输模式\n短信报警模式\n传输与短信报警同时模式"),
    button(1048, "读取GPRS参数", 61, 269, 69, 20),
    button(1049, "下载GPRS参数", 187, 270, 65, 19),
    check(1136, "允许编辑所有参数", 62, 298, 80, 10),
};
} // namespace

const DialogTemplate kGprsPage{IDD_GPRS_PAGE, "", 324, 320, 9, kControls};
} // namespace rv::res
