// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "core/Editor.h"
#include "core/ReferencedFile.h"
#include "core/SnippetInsertion.h"
#include "core/TextArea.h"
#include "platform/FileDialog.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::frames {

namespace {

const QString kFramesetEnd = u"</FRAMESET>"_s;
const QString kBody = u"<BODY>"_s;
const QString kHeadEnd = u"</HEAD>"_s;

// The frameset that replaces the tag a split selects: the opening with the two
// equal sizes, an empty line for the frame entries, then closing and a line end.
QString framesetSnippet(const QString& opening, const QString& closing)
{
    return opening + u"\"*,*\">\r\n\r\n"_s + closing + u"\r\n"_s;
}

// "<FRAME SRC="link" NAME="" RESIZE>" and a line end.
QString frameEntrySnippet(const QString& link)
{
    return u"<FRAME SRC=\""_s + link + u"\" NAME=\"\" RESIZE>\r\n"_s;
}

// The 18 characters that go before the head's end tag.
QString baseTargetLine()
{
    return u"<BASE TARGET=\"\">\r\n"_s;
}

// Replaces the first "</FRAMESET>" by a new frameset left open, or, with none
// in the text, the first "<BODY>" by a closed one. With neither, only the
// focus moves.
void splitFrameset(Editor& editor, const QString& opening)
{
    TextArea& text = editor.text;
    // A frameset already there is where the new one opens; it is not closed
    // again, the old end tag serving for it.
    qsizetype at = text.indexOf(kFramesetEnd);
    const bool nested = at >= 0;
    const QString& tag = nested ? kFramesetEnd : kBody;
    const QString closing = nested ? QString() : kFramesetEnd;
    if (!nested)
        at = text.indexOf(kBody);

    text.setFocus();
    if (at < 0)
        return;
    text.select(at, tag.size());
    insertSnippet(editor, framesetSnippet(opening, closing));
}

} // namespace

void splitFramesetRows(Editor& editor)
{
    splitFrameset(editor, u"<FRAMESET ROWS="_s);
}

void splitFramesetColumns(Editor& editor)
{
    splitFrameset(editor, u"<FRAMESET COLS="_s);
}

void insertFrameEntry(Editor& editor)
{
    // Pages first: a frame shows a page.
    using enum FileKind;
    insertReferencedFile(editor, {Htm, Html, All, Excel, Word, Ichitaro, Text, Jpg, Jpeg, Gif},
                         frameEntrySnippet);
}

void insertBaseTarget(Editor& editor)
{
    TextArea& text = editor.text;
    const qsizetype at = text.indexOf(kHeadEnd);
    text.setFocus();
    if (at < 0)
        return;
    // Only the new line is edited: one undo step, and the clipboard is not ours to use.
    text.insertAt(at, baseTargetLine());
    text.setCaret(0);
    // Like the commands that pick a file, it leaves the dialog without a
    // name, though it never showed the dialog: the next Cancel gives an
    // empty link whichever command ran last.
    editor.platform.dialog.forgetNameAfterUse();
}

} // namespace mx::frames
