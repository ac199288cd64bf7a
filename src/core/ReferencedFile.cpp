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

void insertReferencedFile(Editor& editor, std::initializer_list<FileKind> kinds,
                          QString (*snippet)(const QString& link))
{
    platform::FileDialog& dialog = editor.platform.dialog;
    // Open and Save As share the dialog; nothing of theirs may steer a pick.
    dialog.prepare({filterPairs(kinds), 0});
    dialog.showOpen();
    insertSnippet(editor, snippet(linkForm(dialog.fileName())));
    dialog.forgetNameAfterUse();
}

} // namespace mx
