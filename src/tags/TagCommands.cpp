#include "TagCommands.h"

#include "InsertSnippet.h"
#include "app/Editor.h"
#include "app/Text1.h"

namespace mx::tags {

void RunWrapTag(Editor& editor, const WrapTag& tag)
{
    // The selection's text first, then its length: the length decides.
    const QString selection = editor.text.SelText();
    const qsizetype length = editor.text.SelLength();
    InsertSnippet(editor, WrapSnippet(tag, selection, length), tag.failure);
}

void RunPointTag(Editor& editor, const PointTag& tag)
{
    InsertSnippet(editor, QString::fromUtf16(tag.tag));
}

} // namespace mx::tags
