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

#include <QtGlobal>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

using Text = const char16_t*;

MenuEntry submenu(Text control, Text parent, Text caption)
{
    return {QString::fromUtf16(control), QString::fromUtf16(parent), QString::fromUtf16(caption), {}};
}

MenuEntry separator(Text control, Text parent)
{
    return {QString::fromUtf16(control), QString::fromUtf16(parent), u"-"_s, {}};
}

MenuEntry command(Text control, Text parent, Text caption, Handler handler)
{
    return {QString::fromUtf16(control), QString::fromUtf16(parent), QString::fromUtf16(caption),
            std::move(handler)};
}

// The tag commands are rows of the tag tables, found by the control name.
// A menu row without its table row is a broken build: stop at once, in any
// build type, rather than show a command that does nothing.
template <typename Row>
MenuEntry tagCommand(Text control, Text parent, Text caption, const Row* row,
                     void (*insert)(Editor&, const Row&))
{
    if (!row)
        qFatal("Menu item %s has no row in the tag tables", qPrintable(QString::fromUtf16(control)));
    return command(control, parent, caption, [row, insert](Editor& editor) { insert(editor, *row); });
}

MenuEntry wrapTag(Text control, Text parent, Text caption)
{
    return tagCommand(control, parent, caption, tags::findWrapTag(control), tags::insertWrapTag);
}

MenuEntry pointTag(Text control, Text parent, Text caption)
{
    return tagCommand(control, parent, caption, tags::findPointTag(control), tags::insertPointTag);
}

} // namespace

const std::vector<MenuEntry>& menuTree()
{
    static const std::vector<MenuEntry> tree = {
        submenu(u"M1", u"", u"ファイル"),
        command(u"F1", u"M1", u"新規作成", document::newDocument),
        command(u"F2", u"M1", u"開く", document::openDocument),
        separator(u"bar", u"M1"),
        command(u"F3", u"M1", u"上書き保存", document::saveDocument),
        command(u"F4", u"M1", u"名前を付けて保存", document::saveDocumentAs),
        separator(u"bar2", u"M1"),
        command(u"F5", u"M1", u"終了", exitProgram),
        submenu(u"M2", u"", u"タグ"),
        command(u"BASE", u"M2", u"基本タグ", document::wrapInSkeleton),
        submenu(u"T1", u"M2", u"ジャンプとリンク"),
        submenu(u"Hyper", u"T1", u"ハイパーリンク"),
        command(u"J1", u"Hyper", u"他ファイルへ", links::insertLinkToFile),
        command(u"URL", u"Hyper", u"URL", links::insertLinkToUrl),
        pointTag(u"J2", u"T1", u"ジャンプ"),
        pointTag(u"J3", u"T1", u"ネーム"),
        pointTag(u"TO_TOP", u"T1", u"先頭へ"),
        command(u"T2", u"M2", u"イメージ", links::insertImage),
        submenu(u"T3", u"M2", u"フォント"),
        submenu(u"TF1", u"T3", u"サイズ"),
        wrapTag(u"s7", u"TF1", u"=7"),
        wrapTag(u"s6", u"TF1", u"=6"),
        wrapTag(u"s5", u"TF1", u"=5"),
        wrapTag(u"s4", u"TF1", u"=4"),
        wrapTag(u"s3", u"TF1", u"=3"),
        wrapTag(u"s2", u"TF1", u"=2"),
        wrapTag(u"s1", u"TF1", u"=1"),
        submenu(u"FC", u"T3", u"色"),
        wrapTag(u"RED", u"FC", u"赤"),
        wrapTag(u"BLUE", u"FC", u"青"),
        wrapTag(u"GRAY", u"FC", u"灰色"),
        wrapTag(u"GREEN", u"FC", u"蛍光緑"),
        wrapTag(u"TF2", u"T3", u"ボールド"),
        wrapTag(u"TF3", u"T3", u"イタリック"),
        wrapTag(u"TF4", u"T3", u"アンダーライン"),
        wrapTag(u"TF5", u"T3", u"ストライク"),
        submenu(u"T4", u"M2", u"ヘッダ"),
        wrapTag(u"H1", u"T4", u"H1"),
        wrapTag(u"H2", u"T4", u"H2"),
        wrapTag(u"H3", u"T4", u"H3"),
        wrapTag(u"H4", u"T4", u"H4"),
        wrapTag(u"H5", u"T4", u"H5"),
        wrapTag(u"H6", u"T4", u"H6"),
        submenu(u"Frame", u"M2", u"画面分割"),
        command(u"ROWS_fr", u"Frame", u"上下分割", frames::splitFramesetRows),
        command(u"COLS_fr", u"Frame", u"左右分割", frames::splitFramesetColumns),
        command(u"FILES_fr", u"Frame", u"表示ファイル", frames::insertFrameEntry),
        command(u"TARGET_fr", u"Frame", u"ベース ターゲット", frames::insertBaseTarget),
        pointTag(u"LI", u"M2", u"リスト"),
        pointTag(u"T6", u"M2", u"区切り線"),
        wrapTag(u"T7", u"M2", u"プレフォーマット"),
        wrapTag(u"CENTER", u"M2", u"センター"),
        pointTag(u"T8", u"M2", u"ブレイク<BR>"),
        pointTag(u"T9", u"M2", u"パラグラフ<P>"),
        wrapTag(u"T10", u"M2", u"アドレス"),
        wrapTag(u"T11", u"M2", u"コメント"),
        submenu(u"M3", u"", u"ブラウザ"),
        command(u"IE", u"M3", u"ブラウザ表示", document::showInBrowser),
        submenu(u"M4", u"", u"ヘルプ"),
        command(u"Help", u"M4", u"ヘルプ", help::showHelp),
        command(u"Ver", u"M4", u"バージョン", help::showVersion),
    };
    return tree;
}

QString controlOf(MenuItem item)
{
    switch (item) {
    case MenuItem::Save: return u"F3"_s;
    case MenuItem::SaveAs: return u"F4"_s;
    case MenuItem::TagsMenu: return u"M2"_s;
    case MenuItem::ShowInBrowser: return u"IE"_s;
    case MenuItem::BasicTags: return u"BASE"_s;
    }
    return QString();
}

} // namespace mx
