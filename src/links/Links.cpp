// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Links.h"

#include "core/Editor.h"
#include "core/ReferencedFile.h"
#include "core/SnippetInsertion.h"
#include "platform/InputBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::links {

namespace {

const QString kScheme = u"http://"_s;

} // namespace

QString linkSnippet(const QString& target)
{
    return u"<A HREF=\""_s + target + u"\">   </A>"_s;
}

QString urlAddress(const QString& typed)
{
    return typed.startsWith(kScheme) ? typed : kScheme + typed;
}

QString imageSnippet(const QString& link)
{
    return u"<IMG SRC=\""_s + link + u"\" BORDER=0>\r\n"_s;
}

void insertLinkToFile(Editor& editor)
{
    using enum FileKind;
    insertReferencedFile(editor, {All, Excel, Word, Ichitaro, Text, Htm, Html, Jpg, Jpeg, Gif}, linkSnippet);
}

void insertLinkToUrl(Editor& editor)
{
    // Cancel gives the empty string, and so the bare scheme: the tag still goes in.
    const QString typed = editor.platform.input.getText(u"アドレス(http://)"_s, u"アドレス入力"_s, QString());
    insertSnippet(editor, linkSnippet(urlAddress(typed)));
}

void insertImage(Editor& editor)
{
    using enum FileKind;
    insertReferencedFile(editor, {All, Jpg, Jpeg, Gif}, imageSnippet);
}

} // namespace mx::links
