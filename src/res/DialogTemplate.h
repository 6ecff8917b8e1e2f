// SPDX-License-Identifier: MIT
#pragma once

// A dialog template as data: the dialog's caption, size and font, and a table of its controls,
// each with its id, kind, text, place and size in dialog units and its style flags. The tables in
// dialogs/ are the tool's dialogs; DialogBuilder turns one into widgets.
//
// Dialog units follow the font of the dialog: one horizontal unit is a quarter of the average
// character width, one vertical unit an eighth of the character height.

#include <span>

namespace rv::res {

inline constexpr int kNoId = -1;

enum class Kind
{
    GroupBox,
    Label,     // static text; names the control given as its buddy
    Edit,      // single-line edit, or multi-line with Flag::MultiLine
    DropList,  // drop-down list: a non-editable combo box
    DropCombo, // drop-down combo: the text can be typed
    PushButton,
    CheckBox,   // automatic check box
    ListView,   // report-view list
    TabControl, // tab row and the pane the pages sit in
    Icon,       // the application icon (resource 128)
};

namespace Flag {
inline constexpr unsigned Disabled = 1u << 0;
inline constexpr unsigned ReadOnly = 1u << 1;
inline constexpr unsigned DefaultButton = 1u << 2; // Enter presses it, in a dialog box only
inline constexpr unsigned MultiLine = 1u << 3;     // with a vertical scroll bar, scrolling itself
inline constexpr unsigned UpperCase = 1u << 4;     // typed letters become upper case
inline constexpr unsigned SingleSelection = 1u << 5;
inline constexpr unsigned Border = 1u << 6;
} // namespace Flag

struct Control
{
    int id = kNoId;
    Kind kind = Kind::Label;
    const char* text = ""; // UTF-8; caption of statics, groups, buttons and check boxes
    int x = 0;
    int y = 0;
    int w = 0; // 0 on a label: as wide as its text
    int h = 0; // a combo's height is that of its dropped list; the closed box takes the font's
    unsigned flags = 0;
    int buddy = kNoId;           // on a label: the control it names
    const char* items = nullptr; // combo items, separated by '\n'
};

struct DialogTemplate
{
    int id = 0;
    const char* caption = ""; // UTF-8
    int w = 0;
    int h = 0;
    int pointSize = 9;
    std::span<const Control> controls;
};

// ---- The rows of a table ----

constexpr Control group(const char* text, int x, int y, int w, int h)
{
    return {kNoId, Kind::GroupBox, text, x, y, w, h};
}
// A label at its place, as wide as its text.
constexpr Control label(const char* text, int x, int y, int buddy = kNoId)
{
    return {kNoId, Kind::Label, text, x, y, 0, 8, 0, buddy};
}
// A static text with an id and a size of its own.
constexpr Control text(int id, const char* text, int x, int y, int w, int h, int buddy = kNoId)
{
    return {id, Kind::Label, text, x, y, w, h, 0, buddy};
}
constexpr Control edit(int id, int x, int y, int w, int h, unsigned flags = 0)
{
    return {id, Kind::Edit, "", x, y, w, h, flags};
}
constexpr Control dropList(int id, int x, int y, int w, int h, const char* items = nullptr, unsigned flags = 0)
{
    return {id, Kind::DropList, "", x, y, w, h, flags, kNoId, items};
}
constexpr Control dropCombo(int id, int x, int y, int w, int h, const char* items = nullptr, unsigned flags = 0)
{
    return {id, Kind::DropCombo, "", x, y, w, h, flags, kNoId, items};
}
constexpr Control button(int id, const char* text, int x, int y, int w, int h, unsigned flags = 0)
{
    return {id, Kind::PushButton, text, x, y, w, h, flags};
}
constexpr Control check(int id, const char* text, int x, int y, int w, int h, unsigned flags = 0)
{
    return {id, Kind::CheckBox, text, x, y, w, h, flags};
}
constexpr Control listView(int id, int x, int y, int w, int h, unsigned flags = 0)
{
    return {id, Kind::ListView, "", x, y, w, h, flags};
}
constexpr Control tabControl(int id, int x, int y, int w, int h)
{
    return {id, Kind::TabControl, "", x, y, w, h};
}
// The application icon, 32 × 32 pixels at its place.
constexpr Control icon(int x, int y)
{
    return {kNoId, Kind::Icon, "", x, y, 0, 0};
}

} // namespace rv::res
