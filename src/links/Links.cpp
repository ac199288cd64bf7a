// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "core/Editor.h"
#include "core/ReferencedFile.h"
#include "core/SnippetInsertion.h"
#include "platform/InputBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::links {

namespace {

const QString kScheme = u"http://"_s;

// "<A HREF="target">   </A>": three spaces hold the place of the link text.
QString linkSnippet(const QString& target)
{
    return u"<A HREF=\""_s + target + u"\">   </A>"_s;
}

// What the URL box gave, with "http://" in front unless it already starts so
// (exactly, case and all).
QString urlAddress(const QString& typed)
{
    return typed.startsWith(kScheme) ? typed : kScheme + typed;
}

// "<IMG SRC="link" BORDER=0>" and a line end.
QString imageSnippet(const QString& link)
{
    return u"<IMG SRC=\""_s + link + u"\" BORDER=0>\r\n"_s;
}

} // namespace

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
