#include "Frames.h"

#include "app/Editor.h"
#include "app/Text1.h"
#include "links/ReferencedFile.h"
#include "platform/CommonDialog.h"
#include "platform/Platform.h"
#include "tags/InsertSnippet.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::frames {

namespace {

const QString kFramesetEnd = u"</FRAMESET>"_s;
const QString kBody = u"<BODY>"_s;
const QString kHeadEnd = u"</HEAD>"_s;

} // namespace

QString FramesetSnippet(const QString& opening, const QString& closing)
{
    return opening + u"\"*,*\">\r\n\r\n"_s + closing + u"\r\n"_s;
}

QString FrameEntrySnippet(const QString& link)
{
    return u"<FRAME SRC=\""_s + link + u"\" NAME=\"\" RESIZE>\r\n"_s;
}

QString BaseTargetLine()
{
    return u"<BASE TARGET=\"\">\r\n"_s;
}

void SplitFrameset(Editor& editor, const QString& opening)
{
    Text1& text = editor.text;
    // A frameset already there is where the new one opens; it is not closed
    // again, the old end tag serving for it.
    qsizetype at = text.Find(kFramesetEnd);
    const QString& tag = at ? kFramesetEnd : kBody;
    const QString closing = at ? QString() : kFramesetEnd;
    if (!at)
        at = text.Find(kBody);

    text.SetFocus();
    if (!at)
        return;
    text.SetSelStart(at - 1);
    text.SetSelLength(tag.size());
    tags::InsertSnippet(editor, FramesetSnippet(opening, closing));
}

void ROWS_fr_Click(Editor& editor)
{
    SplitFrameset(editor, QString::fromUtf16(kRowsOpening));
}

void COLS_fr_Click(Editor& editor)
{
    SplitFrameset(editor, QString::fromUtf16(kColsOpening));
}

void FILES_fr_Click(Editor& editor)
{
    links::InsertReferencedFile(editor, links::FrameFilter(), FrameEntrySnippet);
}

void TARGET_fr_Click(Editor& editor)
{
    Text1& text = editor.text;
    const qsizetype at = text.Find(kHeadEnd);
    text.SetFocus();
    if (!at)
        return;
    // Only the new line is edited: one undo step, and the clipboard is not ours to use.
    text.InsertAt(at - 1, BaseTargetLine());
    text.SetSelStart(0);
    editor.platform.dialog.FileName.clear();
}

} // namespace mx::frames
