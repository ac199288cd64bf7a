#include "Links.h"

#include "ReferencedFile.h"
#include "app/Editor.h"
#include "platform/InputBox.h"
#include "platform/Platform.h"
#include "tags/InsertSnippet.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx::links {

namespace {

constexpr tags::PointTag kAnchorTags[] = {
    {u"J2", u"<A HREF=\"#\">   </A>"},
    {u"J3", u"<A NAME=\"\">   </A>"},
    // Exactly so, the space and the bare #TOP included: pages made with it carry this text.
    {u"TO_TOP", u"<A HREF= #TOP>先頭へ</A>"},
};

const QString kScheme = u"http://"_s;

} // namespace

QString LinkSnippet(const QString& target)
{
    return u"<A HREF=\""_s + target + u"\">   </A>"_s;
}

QString UrlAddress(const QString& typed)
{
    return typed.startsWith(kScheme) ? typed : kScheme + typed;
}

QString ImageSnippet(const QString& link)
{
    return u"<IMG SRC=\""_s + link + u"\" BORDER=0>\r\n"_s;
}

std::span<const tags::PointTag> AnchorTags()
{
    return kAnchorTags;
}

const tags::PointTag* FindAnchorTag(QStringView control)
{
    const auto rows = AnchorTags();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const tags::PointTag& row) {
        return control == QStringView(row.control);
    });
    return it == rows.end() ? nullptr : &*it;
}

void J1_Click(Editor& editor)
{
    InsertReferencedFile(editor, LinkFilter(), LinkSnippet);
}

void URL_Click(Editor& editor)
{
    const QString typed =
        editor.platform.input.Show(u"アドレス(http://)"_s, u"アドレス入力"_s, QString());
    tags::InsertSnippet(editor, LinkSnippet(UrlAddress(typed)));
}

void T2_Click(Editor& editor)
{
    InsertReferencedFile(editor, ImageFilter(), ImageSnippet);
}

} // namespace mx::links
