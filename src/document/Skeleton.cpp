#include "Skeleton.h"

#include "app/Editor.h"
#include "app/Text1.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::document {

const QString& SkeletonHead()
{
    static const QString head =
        u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"_s;
    return head;
}

const QString& SkeletonTail()
{
    static const QString tail = u"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
    return tail;
}

QString Skeleton(const QString& body)
{
    return SkeletonHead() + body + SkeletonTail();
}

void F1_Click(mx::Editor& editor)
{
    editor.text.SetText(Skeleton(QString()));
    editor.window.enable({Item::F3, Item::F4, Item::M2, Item::IE});
    editor.window.setEnabled(Item::BASE, false);
    editor.window.setCurrentFile(QString());
    editor.window.setFileFormat(FileFormat());
}

void BASE_Click(mx::Editor& editor)
{
    // Edits at both ends leave the old text in place, however long it is.
    editor.text.Surround(SkeletonHead(), SkeletonTail());
    editor.window.enable({Item::F3, Item::F4, Item::IE});
}

} // namespace mx::document
