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
    {u"s7", u"<FONT SIZE=7>", u"</FONT>", Block},
    {u"s6", u"<FONT SIZE=6>", u"</FONT>", Block},
    {u"s5", u"<FONT SIZE=5>", u"</FONT>", Block},
    {u"s4", u"<FONT SIZE=4>", u"</FONT>", Block},
    {u"s3", u"<FONT SIZE=3>", u"</FONT>", Block},
    {u"s2", u"<FONT SIZE=2>", u"</FONT>", Block},
    {u"s1", u"<FONT SIZE=1>", u"</FONT>", Block},
    {u"RED", u"<FONT COLOR=#FF0000>", u"</FONT>", Block},
    {u"BLUE", u"<FONT COLOR=#0000FF>", u"</FONT>", Block},
    {u"GRAY", u"<FONT COLOR=#AAAAAA>", u"</FONT>", Block},
    {u"GREEN", u"<FONT COLOR=#00FF11>", u"</FONT>", Block},
    {u"TF2", u"<B>", u"</B>", Inline},
    {u"TF3", u"<I>", u"</I>", Inline},
    {u"TF4", u"<U>", u"</U>", Inline},
    {u"TF5", u"<STRIKE>", u"</STRIKE>", Inline},
    {u"H1", u"<H1>", u"</H1>", Inline},
    {u"H2", u"<H2>", u"</H2>", Inline},
    {u"H3", u"<H3>", u"</H3>", Inline},
    {u"H4", u"<H4>", u"</H4>", Inline},
    {u"H5", u"<H5>", u"</H5>", Inline},
    {u"H6", u"<H6>", u"</H6>", Inline},
    {u"T7", u"<PRE>", u"</PRE>", Block},
    {u"CENTER", u"<CENTER>", u"</CENTER>", Inline},
    {u"T10", u"<ADDRESS>", u"</ADDRESS>", Inline},
    {u"T11", u"<!--", u"-->", Inline},
};

constexpr PointTag kPointTags[] = {
    {u"LI", u"<LI>"},
    {u"T6", u"<HR>"},
    {u"T8", u"<BR>"},
    {u"T9", u"<P>"},
    // The anchors that need nothing from the user: jump, name, to the top.
    {u"J2", u"<A HREF=\"#\">   </A>"},
    {u"J3", u"<A NAME=\"\">   </A>"},
    // Exactly so, the space and the bare #TOP included: pages made with it carry this text.
    {u"TO_TOP", u"<A HREF= #TOP>先頭へ</A>"},
};

template <typename Row>
const Row* findRow(std::span<const Row> rows, QStringView control)
{
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [&](const Row& row) { return control == QStringView(row.control); });
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

const WrapTag* findWrapTag(QStringView control)
{
    return findRow(wrapTags(), control);
}

const PointTag* findPointTag(QStringView control)
{
    return findRow(pointTags(), control);
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
