// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TextEdit.h"

#include <QMimeData>
#include <QPointer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// Whether the data offers plain text, and the text it offers. The data may
// be the clipboard's, which Qt drops when its owner changes, and Qt waits for
// the owner inside these calls; so the data is looked at only while it is
// still there. One look at the formats costs one wait on an owner that never
// answers, where hasText() and then text() would cost two each.
bool offersText(const QMimeData* source)
{
    const QPointer<const QMimeData> alive(source);
    if (!source)
        return false;
    const QStringList formats = source->formats();
    // A file dropped from a file manager may come as its address alone,
    // which Qt gives as text.
    return alive && std::any_of(formats.begin(), formats.end(), [](const QString& format) {
               return format.startsWith(u"text/plain"_s) || format == u"text/uri-list"_s;
           });
}

QString offeredText(const QMimeData* source)
{
    const QPointer<const QMimeData> alive(source);
    if (!offersText(source) || !alive)
        return QString();
    const QString text = source->text();
    return alive ? text : QString();
}

} // namespace

bool TextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return offersText(source);
}

void TextEdit::insertFromMimeData(const QMimeData* source)
{
    const QString text = offeredText(source);
    if (text.isEmpty())
        return;
    // As the widget inserts plain text itself: one undo step, the caret after it.
    insertPlainText(text);
    ensureCursorVisible();
}

} // namespace mx
