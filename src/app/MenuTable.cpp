// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MenuTable.h"

#include "Closing.h"
#include "document/FileCommands.h"
#include "document/Skeleton.h"
#include "frames/Frames.h"
#include "help/Help.h"
#include "links/Links.h"
#include "tags/TagCommands.h"

#include <QSet>
#include <QtGlobal>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

using Text = const char16_t*;
using Id = MenuId;

MenuEntry submenu(Id id, Text control, std::optional<Id> parent, Text caption)
{
    return {id, QString::fromUtf16(control), parent, QString::fromUtf16(caption), {}};
}

MenuEntry separator(Id id, Text control, Id parent)
{
    return {id, QString::fromUtf16(control), parent, u"-"_s, {}};
}

MenuEntry command(Id id, Text control, Id parent, Text caption, Handler handler)
{
    return {id, QString::fromUtf16(control), parent, QString::fromUtf16(caption), std::move(handler)};
}

// A command whose handler is its row in the tag tables.
MenuEntry tag(Id id, Text control, Id parent, Text caption)
{
    return command(id, control, parent, caption, tags::tagCommand(id));
}

[[noreturn]] void broken(const MenuEntry& entry, const char* why)
{
    qFatal("Menu item %s: %s", qPrintable(entry.control), why);
}

// A broken table is a broken build: stop at once, in any build type, rather
// than show a command that does nothing or an item the document never enables.
void check(const std::vector<MenuEntry>& tree)
{
    if (tree.size() != kMenuIdCount)
        qFatal("The menu table has %zu rows for %zu ids", tree.size(), kMenuIdCount);
    QSet<QString> controls;
    std::array<bool, kMenuIdCount> submenu{};
    for (const MenuEntry& entry : tree)
        if (entry.parent)
            submenu[std::size_t(*entry.parent)] = true;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const MenuEntry& entry = tree[i];
        if (std::size_t(entry.id) != i)
            broken(entry, "out of its id's place");
        if (entry.control.isEmpty() || controls.contains(entry.control))
            broken(entry, "control name empty or used twice");
        controls.insert(entry.control);
        if (entry.parent
            && (std::size_t(*entry.parent) >= i || tree[std::size_t(*entry.parent)].handler
                || tree[std::size_t(*entry.parent)].isSeparator()))
            broken(entry, "its parent is no menu above it");
        const bool isCommand = !entry.isSeparator() && !submenu[i];
        if (isCommand != bool(entry.handler))
            broken(entry, isCommand ? "a command without its handler" : "a handler on no command");
    }
    for (const Id item : tags::tagCommandItems())
        if (!tree[std::size_t(item)].handler)
            qFatal("The tag table row of %s has no command in the menus",
                   qPrintable(tree[std::size_t(item)].control));
}

std::vector<MenuEntry> buildTree()
{
    std::vector<MenuEntry> tree = {
        submenu(Id::FileMenu, u"M1", {}, u"ファイル"),
        command(Id::New, u"F1", Id::FileMenu, u"新規作成", document::newDocument),
        command(Id::Open, u"F2", Id::FileMenu, u"開く", document::openDocument),
        separator(Id::SaveSeparator, u"bar", Id::FileMenu),
        command(Id::Save, u"F3", Id::FileMenu, u"上書き保存", document::saveDocument),
        command(Id::SaveAs, u"F4", Id::FileMenu, u"名前を付けて保存", document::saveDocumentAs),
        separator(Id::ExitSeparator, u"bar2", Id::FileMenu),
        command(Id::Exit, u"F5", Id::FileMenu, u"終了", exitProgram),
        submenu(Id::TagsMenu, u"M2", {}, u"タグ"),
        command(Id::BasicTags, u"BASE", Id::TagsMenu, u"基本タグ", document::wrapInSkeleton),
        submenu(Id::JumpsMenu, u"T1", Id::TagsMenu, u"ジャンプとリンク"),
        submenu(Id::HyperlinkMenu, u"Hyper", Id::JumpsMenu, u"ハイパーリンク"),
        command(Id::LinkToFile, u"J1", Id::HyperlinkMenu, u"他ファイルへ", links::insertLinkToFile),
        command(Id::LinkToUrl, u"URL", Id::HyperlinkMenu, u"URL", links::insertLinkToUrl),
        tag(Id::Jump, u"J2", Id::JumpsMenu, u"ジャンプ"),
        tag(Id::Anchor, u"J3", Id::JumpsMenu, u"ネーム"),
        tag(Id::ToTop, u"TO_TOP", Id::JumpsMenu, u"先頭へ"),
        command(Id::Image, u"T2", Id::TagsMenu, u"イメージ", links::insertImage),
        submenu(Id::FontMenu, u"T3", Id::TagsMenu, u"フォント"),
        submenu(Id::SizeMenu, u"TF1", Id::FontMenu, u"サイズ"),
        tag(Id::Size7, u"s7", Id::SizeMenu, u"=7"),
        tag(Id::Size6, u"s6", Id::SizeMenu, u"=6"),
        tag(Id::Size5, u"s5", Id::SizeMenu, u"=5"),
        tag(Id::Size4, u"s4", Id::SizeMenu, u"=4"),
        tag(Id::Size3, u"s3", Id::SizeMenu, u"=3"),
        tag(Id::Size2, u"s2", Id::SizeMenu, u"=2"),
        tag(Id::Size1, u"s1", Id::SizeMenu, u"=1"),
        submenu(Id::ColourMenu, u"FC", Id::FontMenu, u"色"),
        tag(Id::Red, u"RED", Id::ColourMenu, u"赤"),
        tag(Id::Blue, u"BLUE", Id::ColourMenu, u"青"),
        tag(Id::Grey, u"GRAY", Id::ColourMenu, u"灰色"),
        tag(Id::Green, u"GREEN", Id::ColourMenu, u"蛍光緑"),
        tag(Id::Bold, u"TF2", Id::FontMenu, u"ボールド"),
        tag(Id::Italic, u"TF3", Id::FontMenu, u"イタリック"),
        tag(Id::Underline, u"TF4", Id::FontMenu, u"アンダーライン"),
        tag(Id::Strike, u"TF5", Id::FontMenu, u"ストライク"),
        submenu(Id::HeadingMenu, u"T4", Id::TagsMenu, u"ヘッダ"),
        tag(Id::Heading1, u"H1", Id::HeadingMenu, u"H1"),
        tag(Id::Heading2, u"H2", Id::HeadingMenu, u"H2"),
        tag(Id::Heading3, u"H3", Id::HeadingMenu, u"H3"),
        tag(Id::Heading4, u"H4", Id::HeadingMenu, u"H4"),
        tag(Id::Heading5, u"H5", Id::HeadingMenu, u"H5"),
        tag(Id::Heading6, u"H6", Id::HeadingMenu, u"H6"),
        submenu(Id::FrameMenu, u"Frame", Id::TagsMenu, u"画面分割"),
        command(Id::SplitRows, u"ROWS_fr", Id::FrameMenu, u"上下分割", frames::splitFramesetRows),
        command(Id::SplitColumns, u"COLS_fr", Id::FrameMenu, u"左右分割", frames::splitFramesetColumns),
        command(Id::FrameEntry, u"FILES_fr", Id::FrameMenu, u"表示ファイル", frames::insertFrameEntry),
        command(Id::BaseTarget, u"TARGET_fr", Id::FrameMenu, u"ベース ターゲット", frames::insertBaseTarget),
        tag(Id::ListItem, u"LI", Id::TagsMenu, u"リスト"),
        tag(Id::Rule, u"T6", Id::TagsMenu, u"区切り線"),
        tag(Id::Preformatted, u"T7", Id::TagsMenu, u"プレフォーマット"),
        tag(Id::Centre, u"CENTER", Id::TagsMenu, u"センター"),
        tag(Id::LineBreak, u"T8", Id::TagsMenu, u"ブレイク<BR>"),
        tag(Id::Paragraph, u"T9", Id::TagsMenu, u"パラグラフ<P>"),
        tag(Id::Address, u"T10", Id::TagsMenu, u"アドレス"),
        tag(Id::Comment, u"T11", Id::TagsMenu, u"コメント"),
        submenu(Id::BrowserMenu, u"M3", {}, u"ブラウザ"),
        command(Id::ShowInBrowser, u"IE", Id::BrowserMenu, u"ブラウザ表示", document::showInBrowser),
        submenu(Id::HelpMenu, u"M4", {}, u"ヘルプ"),
        command(Id::Help, u"Help", Id::HelpMenu, u"ヘルプ", help::showHelp),
        command(Id::Version, u"Ver", Id::HelpMenu, u"バージョン", help::showVersion),
    };
    check(tree);
    return tree;
}

} // namespace

const std::vector<MenuEntry>& menuTree()
{
    static const std::vector<MenuEntry> tree = buildTree();
    return tree;
}

} // namespace mx
