// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ReferencedFile.h"

#include "Editor.h"
#include "SnippetInsertion.h"
#include "platform/FileDialog.h"
#include "platform/Platform.h"

namespace mx {

QString linkForm(const QString& path)
{
    QString link;
    link.reserve(path.size());
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        const bool encoded = u < 0x20 || u == 0x7F || u == u'%' || u == u'"' || u == u'#' || u == u'?'
                             || u == u'\\' || u == u'&';
        if (!encoded) {
            link += c;
            continue;
        }
        // All of them are ASCII, so the byte is the character.
        link += u'%';
        link += QString::number(u, 16).toUpper().rightJustified(2, u'0');
    }
    return link;
}

QString pickReferencedFile(Editor& editor, const QString& filter)
{
    platform::FileDialog& dialog = editor.platform.dialog;
    // Open and Save As share the dialog; nothing of theirs may steer a pick.
    dialog.filter = filter;
    dialog.filterIndex = 1;
    dialog.initialFolder = platform::startFolder();
    dialog.showOpen();
    return linkForm(dialog.fileName);
}

void insertReferencedFile(Editor& editor, const QString& filter, QString (*snippet)(const QString& link))
{
    const QString link = pickReferencedFile(editor, filter);
    insertSnippet(editor, snippet(link));
    // Cancel keeps the name, so a name left here would come back on the next Cancel.
    editor.platform.dialog.fileName.clear();
}

} // namespace mx
