// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <cstddef>

namespace mx {

// Every item of the menus, separators and submenus included, named in code
// and in menu order. The control name an item bears (its objectName) is data
// of its row in the menu table, never a key.
enum class MenuId {
    FileMenu,
    New,
    Open,
    SaveSeparator,
    Save,
    SaveAs,
    ExitSeparator,
    Exit,
    TagsMenu,
    BasicTags,
    JumpsMenu,
    HyperlinkMenu,
    LinkToFile,
    LinkToUrl,
    Jump,
    Anchor,
    ToTop,
    Image,
    FontMenu,
    SizeMenu,
    Size7,
    Size6,
    Size5,
    Size4,
    Size3,
    Size2,
    Size1,
    ColourMenu,
    Red,
    Blue,
    Grey,
    Green,
    Bold,
    Italic,
    Underline,
    Strike,
    HeadingMenu,
    Heading1,
    Heading2,
    Heading3,
    Heading4,
    Heading5,
    Heading6,
    FrameMenu,
    SplitRows,
    SplitColumns,
    FrameEntry,
    BaseTarget,
    ListItem,
    Rule,
    Preformatted,
    Centre,
    LineBreak,
    Paragraph,
    Address,
    Comment,
    BrowserMenu,
    ShowInBrowser,
    HelpMenu,
    Help,
    Version,
};

inline constexpr std::size_t kMenuIdCount = std::size_t(MenuId::Version) + 1;

} // namespace mx
