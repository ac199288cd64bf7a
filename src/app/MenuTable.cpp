#include "MenuTable.h"

#include "Closing.h"
#include "document/FileCommands.h"
#include "document/Skeleton.h"
#include "frames/Frames.h"
#include "links/Links.h"
#include "preview/BrowserPreview.h"
#include "preview/HelpVersion.h"
#include "tags/TagCommands.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// The wrapping and point commands are rows of their own tables; their menu
// rows only say where they stand.
Handler wrap(QStringView control)
{
    const tags::WrapTag* tag = tags::FindWrapTag(control);
    Q_ASSERT(tag);
    return [tag](Editor& editor) { tags::RunWrapTag(editor, *tag); };
}

Handler point(QStringView control)
{
    const tags::PointTag* tag = tags::FindPointTag(control);
    Q_ASSERT(tag);
    return [tag](Editor& editor) { tags::RunPointTag(editor, *tag); };
}

// Jump, name and to-the-top are fixed anchors, run like point tags.
Handler anchor(QStringView control)
{
    const tags::PointTag* tag = links::FindAnchorTag(control);
    Q_ASSERT(tag);
    return [tag](Editor& editor) { tags::RunPointTag(editor, *tag); };
}

const Handler none;

} // namespace

const std::vector<MenuEntry>& MenuTree()
{
    static const std::vector<MenuEntry> tree = {
        {u"M1"_s, {}, u"ファイル"_s, none},
        {u"F1"_s, u"M1"_s, u"新規作成"_s, document::F1_Click},
        {u"F2"_s, u"M1"_s, u"開く"_s, document::F2_Click},
        {u"bar"_s, u"M1"_s, u"-"_s, none},
        {u"F3"_s, u"M1"_s, u"上書き保存"_s, document::F3_Click},
        {u"F4"_s, u"M1"_s, u"名前を付けて保存"_s, document::F4_Click},
        {u"bar2"_s, u"M1"_s, u"-"_s, none},
        {u"F5"_s, u"M1"_s, u"終了"_s, F5_Click},
        {u"M2"_s, {}, u"タグ"_s, none},
        {u"BASE"_s, u"M2"_s, u"基本タグ"_s, document::BASE_Click},
        {u"T1"_s, u"M2"_s, u"ジャンプとリンク"_s, none},
        {u"Hyper"_s, u"T1"_s, u"ハイパーリンク"_s, none},
        {u"J1"_s, u"Hyper"_s, u"他ファイルへ"_s, links::J1_Click},
        {u"URL"_s, u"Hyper"_s, u"URL"_s, links::URL_Click},
        {u"J2"_s, u"T1"_s, u"ジャンプ"_s, anchor(u"J2")},
        {u"J3"_s, u"T1"_s, u"ネーム"_s, anchor(u"J3")},
        {u"TO_TOP"_s, u"T1"_s, u"先頭へ"_s, anchor(u"TO_TOP")},
        {u"T2"_s, u"M2"_s, u"イメージ"_s, links::T2_Click},
        {u"T3"_s, u"M2"_s, u"フォント"_s, none},
        {u"TF1"_s, u"T3"_s, u"サイズ"_s, none},
        {u"s7"_s, u"TF1"_s, u"=7"_s, wrap(u"s7")},
        {u"s6"_s, u"TF1"_s, u"=6"_s, wrap(u"s6")},
        {u"s5"_s, u"TF1"_s, u"=5"_s, wrap(u"s5")},
        {u"s4"_s, u"TF1"_s, u"=4"_s, wrap(u"s4")},
        {u"s3"_s, u"TF1"_s, u"=3"_s, wrap(u"s3")},
        {u"s2"_s, u"TF1"_s, u"=2"_s, wrap(u"s2")},
        {u"s1"_s, u"TF1"_s, u"=1"_s, wrap(u"s1")},
        {u"FC"_s, u"T3"_s, u"色"_s, none},
        {u"RED"_s, u"FC"_s, u"赤"_s, wrap(u"RED")},
        {u"BLUE"_s, u"FC"_s, u"青"_s, wrap(u"BLUE")},
        {u"GRAY"_s, u"FC"_s, u"灰色"_s, wrap(u"GRAY")},
        {u"GREEN"_s, u"FC"_s, u"蛍光緑"_s, wrap(u"GREEN")},
        {u"TF2"_s, u"T3"_s, u"ボールド"_s, wrap(u"TF2")},
        {u"TF3"_s, u"T3"_s, u"イタリック"_s, wrap(u"TF3")},
        {u"TF4"_s, u"T3"_s, u"アンダーライン"_s, wrap(u"TF4")},
        {u"TF5"_s, u"T3"_s, u"ストライク"_s, wrap(u"TF5")},
        {u"T4"_s, u"M2"_s, u"ヘッダ"_s, none},
        {u"H1"_s, u"T4"_s, u"H1"_s, wrap(u"H1")},
        {u"H2"_s, u"T4"_s, u"H2"_s, wrap(u"H2")},
        {u"H3"_s, u"T4"_s, u"H3"_s, wrap(u"H3")},
        {u"H4"_s, u"T4"_s, u"H4"_s, wrap(u"H4")},
        {u"H5"_s, u"T4"_s, u"H5"_s, wrap(u"H5")},
        {u"H6"_s, u"T4"_s, u"H6"_s, wrap(u"H6")},
        {u"Frame"_s, u"M2"_s, u"画面分割"_s, none},
        {u"ROWS_fr"_s, u"Frame"_s, u"上下分割"_s, frames::ROWS_fr_Click},
        {u"COLS_fr"_s, u"Frame"_s, u"左右分割"_s, frames::COLS_fr_Click},
        {u"FILES_fr"_s, u"Frame"_s, u"表示ファイル"_s, frames::FILES_fr_Click},
        {u"TARGET_fr"_s, u"Frame"_s, u"ベース ターゲット"_s, frames::TARGET_fr_Click},
        {u"LI"_s, u"M2"_s, u"リスト"_s, point(u"LI")},
        {u"T6"_s, u"M2"_s, u"区切り線"_s, point(u"T6")},
        {u"T7"_s, u"M2"_s, u"プレフォーマット"_s, wrap(u"T7")},
        {u"CENTER"_s, u"M2"_s, u"センター"_s, wrap(u"CENTER")},
        {u"T8"_s, u"M2"_s, u"ブレイク<BR>"_s, point(u"T8")},
        {u"T9"_s, u"M2"_s, u"パラグラフ<P>"_s, point(u"T9")},
        {u"T10"_s, u"M2"_s, u"アドレス"_s, wrap(u"T10")},
        {u"T11"_s, u"M2"_s, u"コメント"_s, wrap(u"T11")},
        {u"M3"_s, {}, u"ブラウザ"_s, none},
        {u"IE"_s, u"M3"_s, u"ブラウザ表示"_s, preview::IE_Click},
        {u"M4"_s, {}, u"ヘルプ"_s, none},
        {u"Help"_s, u"M4"_s, u"ヘルプ"_s, preview::Help_Click},
        {u"Ver"_s, u"M4"_s, u"バージョン"_s, preview::Ver_Click},
    };
    return tree;
}

} // namespace mx
