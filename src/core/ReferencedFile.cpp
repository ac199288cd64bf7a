// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ReferencedFile.h"

#include "Editor.h"
#include "SnippetInsertion.h"
#include "platform/FileDialog.h"
#include "platform/Platform.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

struct Kind {
    const char16_t* name;
    const char16_t* pattern;
};

// By FileKind. Each pair is the name with its pattern, then the pattern.
constexpr Kind kKinds[] = {
    {u"すべて", u"*.*"},  {u"EXCEL", u"*.xls"}, {u"Word", u"*.doc"},  {u"一太郎8", u"*.jtd"},
    {u"Text", u"*.txt"},  {u"HTML", u"*.htm"},  {u"HTML", u"*.html"}, {u"JPEG", u"*.jpg"},
    {u"JPEG", u"*.jpeg"}, {u"GIF", u"*.gif"},
};

} // namespace

QString filterPairs(std::initializer_list<FileKind> kinds)
{
    QStringList pairs;
    for (const FileKind kind : kinds) {
        const Kind& k = kKinds[std::size_t(kind)];
        const QString pattern = QString::fromUtf16(k.pattern);
        pairs << QString::fromUtf16(k.name) + u'(' + pattern + u')' << pattern;
    }
    return pairs.join(u'|');
}

QString linkForm(const QString& path)
{
    QString link = path;
    link.replace(u'\\', u'/');
    return link;
}

void insertReferencedFile(Editor& editor, std::initializer_list<FileKind> kinds,
                          QString (*snippet)(const QString& link))
{
    platform::FileDialog& dialog = editor.platform.dialog;
    // Open and Save As share the dialog; nothing of theirs may steer a pick.
    dialog.prepare({filterPairs(kinds), 0});
    dialog.showOpen();
    if (!insertSnippet(editor, snippet(linkForm(dialog.fileName()))))
        return;
    dialog.forgetNameAfterUse();
}

} // namespace mx
