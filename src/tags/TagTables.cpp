// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TagTables.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx::tags {

namespace {

constexpr auto Block = Shape::BlockWrap;
constexpr auto Inline = Shape::InlineWrap;

constexpr WrapTag kWrapTags[] = {
    {MenuId::Size7, u"<FONT SIZE=7>", u"</FONT>", Block},
    {MenuId::Size6, u"<FONT SIZE=6>", u"</FONT>", Block},
    {MenuId::Size5, u"<FONT SIZE=5>", u"</FONT>", Block},
    {MenuId::Size4, u"<FONT SIZE=4>", u"</FONT>", Block},
    {MenuId::Size3, u"<FONT SIZE=3>", u"</FONT>", Block},
    {MenuId::Size2, u"<FONT SIZE=2>", u"</FONT>", Block},
    {MenuId::Size1, u"<FONT SIZE=1>", u"</FONT>", Block},
    {MenuId::Red, u"<FONT COLOR=#FF0000>", u"</FONT>", Block},
    {MenuId::Blue, u"<FONT COLOR=#0000FF>", u"</FONT>", Block},
    {MenuId::Grey, u"<FONT COLOR=#AAAAAA>", u"</FONT>", Block},
    {MenuId::Green, u"<FONT COLOR=#00FF11>", u"</FONT>", Block},
    {MenuId::Bold, u"<B>", u"</B>", Inline},
    {MenuId::Italic, u"<I>", u"</I>", Inline},
    {MenuId::Underline, u"<U>", u"</U>", Inline},
    {MenuId::Strike, u"<STRIKE>", u"</STRIKE>", Inline},
    {MenuId::Heading1, u"<H1>", u"</H1>", Inline},
    {MenuId::Heading2, u"<H2>", u"</H2>", Inline},
    {MenuId::Heading3, u"<H3>", u"</H3>", Inline},
    {MenuId::Heading4, u"<H4>", u"</H4>", Inline},
    {MenuId::Heading5, u"<H5>", u"</H5>", Inline},
    {MenuId::Heading6, u"<H6>", u"</H6>", Inline},
    {MenuId::Preformatted, u"<PRE>", u"</PRE>", Block},
    {MenuId::Centre, u"<CENTER>", u"</CENTER>", Inline},
    {MenuId::Address, u"<ADDRESS>", u"</ADDRESS>", Inline},
    {MenuId::Comment, u"<!--", u"-->", Inline},
};

constexpr PointTag kPointTags[] = {
    {MenuId::ListItem, u"<LI>"},
    {MenuId::Rule, u"<HR>"},
    {MenuId::LineBreak, u"<BR>"},
    {MenuId::Paragraph, u"<P>"},
    // The anchors that need nothing from the user: jump, name, to the top.
    {MenuId::Jump, u"<A HREF=\"#\">   </A>"},
    {MenuId::Anchor, u"<A NAME=\"\">   </A>"},
    // Exactly so, the space and the bare #TOP included: pages made with it carry this text.
    {MenuId::ToTop, u"<A HREF= #TOP>先頭へ</A>"},
};

template <typename Row>
const Row* findRow(std::span<const Row> rows, MenuId item)
{
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& row) { return row.item == item; });
    return it == rows.end() ? nullptr : &*it;
}

} // namespace

std::span<const WrapTag> wrapTags()
{
    return kWrapTags;
}

std::span<const PointTag> pointTags()
{
    return kPointTags;
}

const WrapTag* findWrapTag(MenuId item)
{
    return findRow(wrapTags(), item);
}

const PointTag* findPointTag(MenuId item)
{
    return findRow(pointTags(), item);
}

QString wrapSnippet(const WrapTag& tag, const QString& selection, qsizetype selectionLength)
{
    const QString open = QString::fromUtf16(tag.open);
    const QString close = QString::fromUtf16(tag.close);
    const bool selected = selectionLength != 0;
    switch (tag.shape) {
    case Shape::BlockWrap:
        return selected ? open + u"\r\n"_s + selection + u"\r\n"_s + close : open + u"\r\n\r\n"_s + close;
    case Shape::InlineWrap: return selected ? open + selection + close : open + u"  "_s + close;
    }
    return QString();
}

} // namespace mx::tags
