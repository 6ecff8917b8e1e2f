// SPDX-License-Identifier: MIT
// Dialog 152: the progress box of the batch transfers. No caption text; a close box.
#include "res/Resources.h"

namespace rv::res {
namespace {
constexpr Control kControls[] = {
    text(1109, "Static", 36, 33, 113, 15),
};
} // namespace

const DialogTemplate kProgressDialog{IDD_PROGRESS, "", 177, 78, 10, kControls};
} // namespace rv::res
