// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "Version.h"
#include "core/Document.h"
#include "core/Editor.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace mx::help {

namespace {

QString helpText()
{
    return QStringList{
        u"タグを付けるときは、挿入するところをクリック"_s,
        u"または、文字列をドラッグしてから、タグを選択して下さい。"_s,
        QString(),
        u"また、一般的なタグの付け方は各自で勉強して下さい。"_s,
        u"このソフトの使用に当たり、何らかの影響があっても、"_s,
        u"当方は一切責任を持ちません。"_s,
    }
        .join(u"\r\n"_s);
}

QString helpTitle()
{
    return kProgramName + u"使い方"_s;
}

// Two lines: the name and version, then the release date.
QString versionText(const QString& version, const QString& releaseDate)
{
    return kProgramName + u" Version "_s + version + u"  \r\n     "_s + releaseDate;
}

} // namespace

void showHelp(Editor& editor)
{
    editor.platform.messages.show(helpText(), helpTitle(), platform::Icon::None);
}

void showVersion(Editor& editor)
{
    editor.platform.messages.show(
        versionText(QStringLiteral(MARQUETRIX_VERSION), QStringLiteral(MARQUETRIX_RELEASE_DATE)),
        u"Version"_s, platform::Icon::None);
}

} // namespace mx::help
