// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TextArea.h"

#include "AccessibleText.h"
#include "LinePieces.h"
#include "TextEdit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx {

TextArea::TextArea(QPlainTextEdit* widget, QObject* parent)
    : QObject(parent), edit_(widget), pieces_(new LinePieces(widget))
{
    connect(pieces_, &LinePieces::changed, this, &TextArea::changed);
    edit_->installEventFilter(this);
    if (auto* textEdit = qobject_cast<TextEdit*>(edit_)) {
        textEdit->setPlainTextInserter([this](const QString& text) {
            QTextCursor cursor = edit_->textCursor();
            edit(cursor, text);
            edit_->setTextCursor(cursor);
        });
    }
    exposeToAccessibility(edit_);
}

void TextArea::edit(QTextCursor& cursor, const QString& text, bool joinPrevious)
{
    pieces_->replace(cursor, toWidgetText(text), joinPrevious);
}

bool TextArea::eventFilter(QObject* watched, QEvent* event)
{
    // Shift+Return would put a Unicode line separator into the page: a
    // character no Japanese code page holds and no browser breaks a line at.
    // A line end is what the user means.
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & Qt::ShiftModifier)) {
            QKeyEvent plain(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ShiftModifier, u"\r"_s);
            QCoreApplication::sendEvent(edit_, &plain);
            return true;
        }
        // On an empty line the widget first sets its formats anew, as an undo
        // step of its own that changes nothing to see: undo would seem to do
        // nothing once in every such line end.
        QTextCursor cursor = edit_->textCursor();
        if (key->matches(QKeySequence::InsertParagraphSeparator) && !cursor.hasSelection()
            && cursor.block().length() == 1 && !edit_->isReadOnly()) {
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            edit_->setTextCursor(cursor);
            edit_->ensureCursorVisible();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString TextArea::toWidgetText(QString text)
{
    const qsizetype first = text.indexOf(u'\r');
    if (first < 0)
        return text;
    // In one pass and in place (the text only shrinks): QString::replace
    // moves the whole tail once per 1024 matches, which makes a 100 MB
    // document take seconds.
    QChar* p = text.data();
    const qsizetype n = text.size();
    qsizetype to = first;
    for (qsizetype i = first; i < n; ++i) {
        if (p[i] == u'\r') {
            p[to++] = u'\n';
            if (i + 1 < n && p[i + 1] == u'\n')
                ++i;
        } else {
            p[to++] = p[i];
        }
    }
    text.truncate(to);
    return text;
}

QString TextArea::text() const
{
    return pieces_->text(u"\r\n");
}

void TextArea::setText(const QString& text)
{
    QTextCursor cursor(edit_->document());
    cursor.select(QTextCursor::Document);
    edit(cursor, text);
    // A new text starts with the caret at its top.
    cursor.movePosition(QTextCursor::Start);
    edit_->setTextCursor(cursor);
}

void TextArea::load(QString text)
{
    pieces_->load(toWidgetText(std::move(text)));
}

bool TextArea::isEmpty() const
{
    return edit_->document()->isEmpty();
}

qsizetype TextArea::length() const
{
    return pieces_->documentLength();
}

QString TextArea::selectedText() const
{
    const QTextCursor cursor = edit_->textCursor();
    return pieces_->text(cursor.selectionStart(), cursor.selectionEnd(), u"\r\n");
}

void TextArea::replaceSelection(const QString& text)
{
    // Editing through a copy moves the widget's own caret to the end of the
    // new text without a synchronous relayout; scrolling it into view waits
    // for the event loop, once, however many edits come before.
    QTextCursor cursor = edit_->textCursor();
    edit(cursor, text);
    scrollToCaretLater();
}

qsizetype TextArea::toDocument(int widgetPosition) const
{
    return pieces_->toDocument(widgetPosition);
}

int TextArea::toWidget(qsizetype documentPosition) const
{
    return pieces_->toWidget(documentPosition);
}

qsizetype TextArea::selectionStart() const
{
    return toDocument(edit_->textCursor().selectionStart());
}

qsizetype TextArea::selectionLength() const
{
    const QTextCursor cursor = edit_->textCursor();
    return toDocument(cursor.selectionEnd()) - toDocument(cursor.selectionStart());
}

QTextCursor TextArea::cursorAt(qsizetype start, qsizetype length) const
{
    QTextCursor cursor(edit_->document());
    const int from = toWidget(start);
    cursor.setPosition(from);
    if (length > 0) {
        // A length past the end selects to the end; adding it first could overflow.
        const qsizetype begin = toDocument(from);
        cursor.setPosition(toWidget(begin + std::min(length, this->length() - begin)),
                           QTextCursor::KeepAnchor);
    }
    return cursor;
}

void TextArea::setCaret(qsizetype position)
{
    edit_->setTextCursor(cursorAt(position, 0));
}

void TextArea::select(qsizetype start, qsizetype length)
{
    edit_->setTextCursor(cursorAt(start, length));
}

qsizetype TextArea::indexOf(const QString& needle) const
{
    if (needle.isEmpty())
        return -1;
    const QTextDocument* doc = edit_->document();
    for (QTextBlock block = doc->begin(); block.isValid();) {
        // A line with its pieces joined: a needle may span a join.
        const QTextBlock first = block;
        QString line = block.text();
        for (block = block.next(); block.isValid() && pieces_->continuesLine(block); block = block.next())
            line += block.text();
        const qsizetype at = line.indexOf(needle);
        if (at >= 0)
            return toDocument(first.position()) + at;
    }
    return -1;
}

void TextArea::insertAt(qsizetype position, const QString& text)
{
    // Through a cursor of its own: the widget's caret moves with the text and
    // is not set again, which would lay the text out around it at once.
    QTextCursor cursor = cursorAt(position, 0);
    const int at = cursor.position();
    const QTextCursor caret = edit_->textCursor();
    const int anchor = caret.anchor();
    const int end = caret.selectionEnd();
    const int start = caret.selectionStart();
    const qsizetype docStart = toDocument(start);
    const qsizetype docAt = toDocument(at);
    edit(cursor, text);
    // A selection that ends where the text goes in would stretch over it;
    // it keeps to its own characters.
    // In document terms, since joining the pieces before it moves the
    // widget's positions.
    if (start < end && end == at) {
        const int from = toWidget(docStart);
        const int to = toWidget(docAt);
        QTextCursor selection = edit_->textCursor();
        selection.setPosition(anchor == end ? to : from);
        selection.setPosition(anchor == end ? from : to, QTextCursor::KeepAnchor);
        edit_->setTextCursor(selection);
    }
}

void TextArea::replaceAt(qsizetype start, qsizetype length, const QString& text)
{
    QTextCursor cursor = cursorAt(start, length);
    edit(cursor, text);
}

void TextArea::scrollToCaretLater()
{
    if (scrollPending_)
        return;
    scrollPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scrollPending_ = false;
            edit_->ensureCursorVisible();
        },
        Qt::QueuedConnection);
}

void TextArea::surround(const QString& before, const QString& after)
{
    // Two edits joined into one undo step: a single edit block spanning both
    // ends would have the layout redo the whole text in between. With
    // nothing before, the first makes no step, and the second would join
    // whatever the user did last.
    QTextCursor cursor(edit_->document());
    edit(cursor, before);
    cursor.movePosition(QTextCursor::End);
    edit(cursor, after, !before.isEmpty());
    cursor.movePosition(QTextCursor::Start);
    edit_->setTextCursor(cursor);
}

void TextArea::setFocus()
{
    edit_->setFocus(Qt::OtherFocusReason);
}

void TextArea::setBusy(bool busy)
{
    busy_ = busy;
    edit_->viewport()->setCursor(busy ? Qt::WaitCursor : Qt::IBeamCursor);
}

} // namespace mx
