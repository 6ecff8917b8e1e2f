// SPDX-License-Identifier: MIT
// Dialog 137: the network settings page, "网口参数".
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    group("目标服务器网络参数", 40, 15, 280, 164),

    group("服务器1", 56, 37, 245, 55),
    label("监听端口：", 61, 51, 1016),
    edit(1016, 119, 49, 31, 12),
    label("服务器地址：", 61, 66, 1015),
    edit(1015, 119, 63, 68, 12),
    label("源端口：", 61, 79, 1014),
    edit(1014, 119, 78, 31, 12),

    group("服务器2", 56, 110, 245, 55),
    label("监听端口：", 64, 124, 1058),
    edit(1058, 117, 122, 31, 12, Flag::Disabled),
    label("服务器地址：", 64, 139, 1057),
    edit(1057, 117, 136, 73, 12, Flag::Disabled),
    label("源端口：", 64, 152, 1056),
    edit(1056, 117, 151, 31, 12, Flag::Disabled),

    group("设备本地网络参数", 41, 187, 279, 91),
    label("静态IP：", 55, 216, 1020),
    edit(1020, 101, 214, 68, 12),
    label("子网掩码：", 55, 232, 1018),
    edit(1018, 101, 229, 68, 12),
    label("网关地址：", 55, 247, 1019),
    edit(1019, 101, 246, 68, 12),
    label("IP获取方式：", 176, 216, 1021),
    dropList(1021, 236, 213, 50, 35, "StaticIP\nDHCP/autoIP"),
    label("最大连接数量：", 176, 231, 1046),
    dropCombo(1046, 236, 229, 36, 69, "0\n1\n2\n3\n4\n5\n6\n7\n8", Flag::Disabled),
    label("MAC地址：", 176, 247, 1030),
    edit(1030, 212, 245, 71, 12, Flag::Disabled),
    button(1031, "写MAC", 291, 243, 25, 14),

    button(1024, "写入网络参数", 108, 287, 83, 26, Flag::DefaultButton),
    button(1025, "网络恢复出厂", 250, 293, 53, 14),
};
} // namespace

const DialogTemplate kNetPage{IDD_NET_PAGE, "", 364, 332, 9, kControls};
} // namespace rv::res
