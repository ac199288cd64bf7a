#include "HelpVersion.h"

#include "Version.h"
#include "app/Editor.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace mx::preview {

QString HelpText()
{
    return QStringList{
        u"タグを付けるときは、挿入するところをクリック"_s,
        u"または、文字列をドラッグしてから、タグを選択して下さい。"_s,
        QString(),
        u"また、一般的なタグの付け方は各自で勉強して下さい。"_s,
        u"このソフトの使用に当たり、何らかの影響があっても、"_s,
        u"当方は一切責任を持ちません。"_s,
    }.join(u"\r\n"_s);
}

QString HelpTitle()
{
    return u"Marquetrix使い方"_s;
}

QString VersionText(const QString& version, const QString& releaseDate)
{
    return u"Marquetrix Version "_s + version + u"  \r\n     "_s + releaseDate;
}

void Help_Click(Editor& editor)
{
    editor.platform.messages.Show(HelpText(), platform::Style::OkOnly, HelpTitle());
}

void Ver_Click(Editor& editor)
{
    editor.platform.messages.Show(
        VersionText(QStringLiteral(MARQUETRIX_VERSION), QStringLiteral(MARQUETRIX_RELEASE_DATE)),
        platform::Style::OkOnly, u"Version"_s);
}

} // namespace mx::preview
