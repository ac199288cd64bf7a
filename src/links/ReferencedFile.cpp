#include "ReferencedFile.h"

#include "app/Editor.h"
#include "platform/CommonDialog.h"
#include "platform/Platform.h"
#include "tags/InsertSnippet.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::links {

const QString& LinkFilter()
{
    static const QString filter =
        u"すべて(*.*)|*.*|EXCEL(*.xls)|*.xls|Word(*.doc)|*.doc|一太郎8(*.jtd)|*.jtd|"
        u"Text(*.txt)|*.txt|HTML(*.htm)|*.htm|HTML(*.html)|*.html|JPEG(*.jpg)|*.jpg|"
        u"JPEG(*.jpeg)|*.jpeg|GIF(*.gif)|*.gif"_s;
    return filter;
}

const QString& ImageFilter()
{
    static const QString filter =
        u"すべて(*.*)|*.*|JPEG(*.jpg)|*.jpg|JPEG(*.jpeg)|*.jpeg|GIF(*.gif)|*.gif"_s;
    return filter;
}

const QString& FrameFilter()
{
    static const QString filter =
        u"HTML(*.htm)|*.htm|HTML(*.html)|*.html|すべて(*.*)|*.*|EXCEL(*.xls)|*.xls|"
        u"Word(*.doc)|*.doc|一太郎8(*.jtd)|*.jtd|Text(*.txt)|*.txt|JPEG(*.jpg)|*.jpg|"
        u"JPEG(*.jpeg)|*.jpeg|GIF(*.gif)|*.gif"_s;
    return filter;
}

QString LinkForm(const QString& path)
{
    QString link = path;
    link.replace(u'\\', u'/');
    return link;
}

QString PickReferencedFile(Editor& editor, const QString& filter)
{
    platform::CommonDialog& dialog = editor.platform.dialog;
    // Open and Save As share the dialog; nothing of theirs may steer a pick.
    dialog.Filter = filter;
    dialog.FilterIndex = 1;
    dialog.InitDir = platform::StartFolder();
    dialog.ShowOpen();
    return LinkForm(dialog.FileName);
}

void InsertReferencedFile(Editor& editor, const QString& filter,
                          QString (*snippet)(const QString& link))
{
    const QString link = PickReferencedFile(editor, filter);
    if (!tags::InsertSnippet(editor, snippet(link)))
        return;
    // Cancel keeps the name, so a name left here would come back on the next Cancel.
    editor.platform.dialog.FileName.clear();
}

} // namespace mx::links
