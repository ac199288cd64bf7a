// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TextArea.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// The widget's block separators become the document's CR LF. By hand:
// QString::replace moves the whole tail once per 1024 matches, which makes a
// 100 MB document take seconds.
QString fromWidgetText(const QString& text)
{
    const qsizetype separators = text.count(QChar::ParagraphSeparator);
    if (separators == 0)
        return text;
    QString out(text.size() + separators, Qt::Uninitialized);
    QChar* to = out.data();
    for (const QChar c : text) {
        if (c == QChar::ParagraphSeparator) {
            *to++ = u'\r';
            *to++ = u'\n';
        } else {
            *to++ = c;
        }
    }
    return out;
}

// Replaces the cursor's selection by text as one undo step.
void replace(QTextCursor& cursor, const QString& text)
{
    cursor.beginEditBlock();
    cursor.insertText(TextArea::toWidgetText(text));
    cursor.endEditBlock();
}

} // namespace

TextArea::TextArea(QPlainTextEdit* widget, QObject* parent) : QObject(parent), edit_(widget)
{
    connect(edit_, &QPlainTextEdit::textChanged, this, &TextArea::changed);
    edit_->installEventFilter(this);
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
    }
    return QObject::eventFilter(watched, event);
}

QString TextArea::toWidgetText(QString text)
{
    const qsizetype first = text.indexOf(u'\r');
    if (first < 0)
        return text;
    // In one pass and in place (the text only shrinks), for the reason
    // fromWidgetText gives.
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
    // toPlainText() would turn no-break spaces into spaces.
    return fromWidgetText(edit_->document()->toRawText());
}

void TextArea::setText(const QString& text)
{
    QTextCursor cursor(edit_->document());
    cursor.select(QTextCursor::Document);
    replace(cursor, text);
    // A new text starts with the caret at its top.
    cursor.movePosition(QTextCursor::Start);
    edit_->setTextCursor(cursor);
}

void TextArea::load(QString text)
{
    edit_->setPlainText(toWidgetText(std::move(text)));
}

bool TextArea::isEmpty() const
{
    return edit_->document()->isEmpty();
}

qsizetype TextArea::length() const
{
    const QTextDocument* doc = edit_->document();
    // characterCount() includes the final block separator, which is no line end.
    return qsizetype(doc->characterCount()) - 1 + (doc->blockCount() - 1);
}

QString TextArea::selectedText() const
{
    return fromWidgetText(edit_->textCursor().selectedText());
}

void TextArea::replaceSelection(const QString& text)
{
    // Editing through a copy moves the widget's own caret to the end of the
    // new text without a synchronous relayout; scrolling it into view waits
    // for the event loop, once, however many edits come before.
    QTextCursor cursor = edit_->textCursor();
    replace(cursor, text);
    scrollToCaretLater();
}

qsizetype TextArea::toDocument(int widgetPosition) const
{
    const QTextBlock block = edit_->document()->findBlock(widgetPosition);
    // Each line end before the position is one character longer in the document.
    return qsizetype(widgetPosition) + (block.isValid() ? block.blockNumber() : 0);
}

int TextArea::toWidget(qsizetype documentPosition) const
{
    const QTextDocument* doc = edit_->document();
    if (documentPosition <= 0)
        return 0;
    // The last block whose start, in document terms, is at or before the position.
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (qsizetype(doc->findBlockByNumber(mid).position()) + mid <= documentPosition)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    const qsizetype offset = documentPosition - (qsizetype(block.position()) + low);
    // A position inside or past a line end stands at the end of the line.
    const qsizetype lineLength = block.length() - 1;
    return block.position() + int(std::min(offset, lineLength));
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
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const qsizetype at = block.text().indexOf(needle);
        if (at >= 0)
            return toDocument(block.position() + int(at));
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
    replace(cursor, text);
    // A selection that ends where the text goes in would stretch over it;
    // it keeps to its own characters.
    if (start < end && end == at) {
        QTextCursor selection = edit_->textCursor();
        selection.setPosition(anchor == end ? at : start);
        selection.setPosition(anchor == end ? start : at, QTextCursor::KeepAnchor);
        edit_->setTextCursor(selection);
    }
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
    // ends would have the layout redo the whole text in between.
    QTextCursor cursor(edit_->document());
    replace(cursor, before);
    cursor.movePosition(QTextCursor::End);
    cursor.joinPreviousEditBlock();
    cursor.insertText(toWidgetText(after));
    cursor.endEditBlock();
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
