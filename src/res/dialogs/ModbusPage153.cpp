// SPDX-License-Identifier: MIT
// Dialog 153: the ModBus slot settings page, "ModBus参数". The page fills 1083 and 1112 itself.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    group("ModBus-RTU主站参数", 20, 10, 300, 206),
    icon(30, 26),
    label("ModBus槽位：", 70, 32, 1083),
    dropCombo(1083, 140, 30, 70, 120),

    group("", 30, 52, 280, 124),
    label("ModBus从站地址：", 40, 70, 1111),
    edit(1111, 140, 68, 50, 12),
    check(1117, "启用", 200, 68, 40, 12),
    label("ModBus设备类型：", 40, 94, 1112),
    dropList(1112, 140, 92, 100, 80),
    label("寄存器起始地址：", 40, 118, 1113),
    edit(1113, 140, 116, 50, 12),
    label("寄存器个数：", 40, 142, 1114),
    edit(1114, 140, 140, 50, 12),

    button(1048, "读取ModBus参数", 60, 188, 80, 18),
    button(1049, "写入ModBus参数", 200, 188, 80, 18),
};
} // namespace

const DialogTemplate kModbusPage{IDD_MODBUS_PAGE, "", 340, 230, 9, kControls};
} // namespace rv::res
