// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How the user reads, moves and clicks through a line in pieces: the text
// around a position read as one line, and the keys and clicks that the
// widget would stop at a piece's edge.
#include "LinePieces.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextDocument>

#include <algorithm>
#include <functional>

namespace mx {

namespace {

// How far the text around a position reaches each way at first, in whole
// pieces, for words and sentences: few of a page outgrow it.
constexpr int kAround = 4096;

// Typing as the widget takes it (QInputControl's rule): a character key,
// not one held with Ctrl alone.
bool typesText(const QKeyEvent* key)
{
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    const QChar c = text[0];
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers held = key->modifiers();
    if (held == Qt::ControlModifier || held == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c == u'\t' || c.category() == QChar::Other_PrivateUse
           || (c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

bool isBackspace(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Backspace
            && !(key->modifiers() & ~(Qt::ShiftModifier | Qt::GroupSwitchModifier)))
           || key->matches(QKeySequence::Backspace);
}

} // namespace

// The whole pieces around a widget position within `room` each way, as one
// block of a document of its own: Qt's own rules for words and sentences
// read it there as a plain widget reads its line.
class TextAround {
public:
    TextAround(const LinePieces& pieces, int position, int room) : first_(pieces.documentBlock(position))
    {
        last_ = first_;
        offset_ = position - first_.position();
        for (int after = last_.length() - 1 - offset_; after < room && pieces.continuesLine(last_.next());) {
            last_ = last_.next();
            after += last_.length() - 1;
        }
        while (offset_ < room && pieces.continuesLine(first_)) {
            first_ = first_.previous();
            offset_ += first_.length() - 1;
        }
        QString text;
        for (QTextBlock b = first_;; b = b.next()) {
            text += b.text();
            if (b == last_)
                break;
        }
        document_.setUndoRedoEnabled(false);
        document_.setPlainText(text);
        cutBefore_ = pieces.continuesLine(first_);
        cutAfter_ = pieces.continuesLine(last_.next());
    }
    QTextCursor cursor()
    {
        QTextCursor at(&document_);
        at.setPosition(offset_);
        return at;
    }
    // Whether an answer that reaches from..to may go on past the text.
    bool reachesOut(int from, int to) const
    {
        return (from == 0 && cutBefore_) || (to == document_.characterCount() - 1 && cutAfter_);
    }
    // A position of the text back in the widget; where one piece ends and
    // the next begins, the end of the first.
    int toWidget(int offset) const
    {
        QTextBlock block = first_;
        while (offset > block.length() - 1 && block != last_) {
            offset -= block.length() - 1;
            block = block.next();
        }
        return block.position() + std::min(offset, block.length() - 1);
    }

private:
    QTextBlock first_;
    QTextBlock last_;
    int offset_ = 0;
    bool cutBefore_ = false;
    bool cutAfter_ = false;
    QTextDocument document_;
};

std::pair<int, int> LinePieces::readAround(int widgetPosition,
                                           const std::function<std::pair<int, int>(QTextCursor&)>& rule) const
{
    // Wider, as long as the answer may go on past the text it was read from:
    // a word of a run of Japanese can be as long as its line.
    for (int room = kAround;; room *= 4) {
        TextAround around(*this, widgetPosition, room);
        QTextCursor cursor = around.cursor();
        const auto [from, to] = rule(cursor);
        if (!around.reachesOut(from, to))
            return {around.toWidget(from), around.toWidget(to)};
    }
}

int LinePieces::moved(int widgetPosition, QTextCursor::MoveOperation operation) const
{
    return readAround(widgetPosition,
                      [operation](QTextCursor& cursor) {
                          cursor.movePosition(operation);
                          return std::pair{cursor.position(), cursor.position()};
                      })
        .first;
}

std::pair<int, int> LinePieces::wordAt(int widgetPosition) const
{
    return readAround(widgetPosition, [](QTextCursor& cursor) {
        cursor.select(QTextCursor::WordUnderCursor);
        return std::pair{cursor.anchor(), cursor.position()};
    });
}

std::pair<int, int> LinePieces::lineOf(const QTextBlock& block) const
{
    QTextBlock first = block;
    while (isJoin(first))
        first = first.previous();
    QTextBlock last = block;
    while (isJoin(last.next()))
        last = last.next();
    return {first.position(), last.position() + last.length() - 1};
}

std::pair<int, int> LinePieces::boundaries(int widgetPosition, QAccessible::TextBoundaryType type) const
{
    const QTextBlock block = documentBlock(widgetPosition);
    const bool pieced = isJoin(block) || isJoin(block.next());
    if (pieced && type == QAccessible::ParagraphBoundary)
        return lineOf(block);
    if (pieced && type != QAccessible::LineBoundary && type != QAccessible::NoBoundary)
        return readAround(widgetPosition, [type](QTextCursor& cursor) {
            return QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
        });
    QTextCursor cursor(document());
    cursor.setPosition(widgetPosition);
    return QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
}

bool LinePieces::eventFilter(QObject* watched, QEvent* event)
{
    if (forwarding_)
        return false;
    // An input method's composition is laid out in its block, which the
    // document tells as a change of the block; the text does not change.
    if (watched == edit_ && event->type() == QEvent::InputMethod) {
        const auto* input = static_cast<QInputMethodEvent*>(event);
        if (!input->commitString().isEmpty() || input->replacementLength() != 0)
            return false;
        const QScopedValueRollback<bool> composing(composing_, true);
        const QScopedValueRollback<bool> forwarding(forwarding_, true);
        QCoreApplication::sendEvent(edit_, event);
        return true;
    }
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (keyAtJoin(key))
            return true;
        if (edit_->isReadOnly() || !mayNeedRepair(key))
            return false;
        editInOwnStep(key);
        return true;
    }
    // Compared, not asked: the widget sends its viewport events while it is
    // being destroyed.
    if (watched == viewport_)
        return clicked(event);
    return false;
}

void LinePieces::editInOwnStep(const QKeyEvent* key)
{
    // The widget's own edit, as an edit block. Not by handing the key to the
    // widget inside one: it scrolls to the caret before the block ends,
    // through a layout not yet made for the new text.
    QTextCursor cursor = edit_->textCursor();
    cursor.beginEditBlock();
    const int first = cursor.blockNumber() - 1;
    if (isBackspace(key))
        cursor.deletePreviousChar();
    else if (key->matches(QKeySequence::Delete))
        cursor.deleteChar();
    else
        cursor.insertText(key->text());
    keepInStep(cursor, std::max(first, 0), cursor.blockNumber() + 1);
    cursor.endEditBlock();
    edit_->setTextCursor(cursor);
    edit_->ensureCursorVisible();
}

bool LinePieces::mayNeedRepair(const QKeyEvent* key) const
{
    // Only a character typed, or one deleted, with nothing selected, is no
    // edit block of the widget's own; and only one that changes a block
    // near what it may hold, or that meets a join, could need a repair.
    const bool backspace = isBackspace(key);
    const bool del = key->matches(QKeySequence::Delete);
    const bool typing = !backspace && !del && typesText(key);
    const QTextCursor caret = edit_->textCursor();
    if ((!backspace && !del && !typing) || caret.hasSelection())
        return false;
    const QTextBlock block = caret.block();
    const int at = caret.positionInBlock();
    const int length = block.length() - 1;
    const auto pieced = [](const QTextBlock& b) { return isJoin(b) || isJoin(b.next()); };
    // What meets at a piece's end is its last character, which may begin
    // far back (a letter and its marks, an emoji and its joiners): a change
    // at or in it may leave the join inside a character.
    const int last = length > 0 ? block.layout()->previousCursorPosition(length) : 0;
    if (typing) {
        const QString text = key->text();
        if (std::any_of(text.begin(), text.end(), isSeparator))
            return false;
        return length + text.size() > mostIn(block)
               || (pieced(block) && ((at == 0 && isJoin(block)) || (at >= last && isJoin(block.next()))));
    }
    // A deletion that takes a line end merges two blocks.
    if (backspace ? at == 0 : at == length) {
        const QTextBlock other = backspace ? block.previous() : block.next();
        return other.isValid() && (pieced(block) || pieced(other) || length + other.length() - 1 > longLine_);
    }
    // What it takes: a code point or a surrogate pair back, a whole
    // character forward.
    const QString text = block.text();
    const int taken =
        backspace ? (at > 1 && text[at - 1].isLowSurrogate() && text[at - 2].isHighSurrogate() ? 2 : 1)
                  : block.layout()->nextCursorPosition(at) - at;
    // One that takes a piece's first character, or one up to its last,
    // changes what meets at a join.
    const int from = backspace ? at - taken : at;
    const bool atJoin = (from == 0 && isJoin(block)) || (from + taken >= last && isJoin(block.next()));
    return pieced(block)
           && (atJoin || length - taken < smallPiece() || lineLength(block, longLine_ + taken) <= longLine_ + taken);
}

bool LinePieces::keyAtJoin(QKeyEvent* key)
{
    if (joins_.empty())
        return false;
    QTextCursor cursor = edit_->textCursor();
    const QTextBlock block = cursor.block();
    if (!isJoin(block) && !isJoin(block.next()))
        return false;
    const int at = cursor.position();
    const bool atStart = at == block.position();
    const bool atEnd = at == block.position() + block.length() - 1;
    // Words go by the line read as one: the widget's own stop at each
    // piece's edge. At the line's own start or end the widget's are the same.
    struct Word {
        QKeySequence::StandardKey key;
        bool back;
        bool select;
        bool remove;
    };
    static constexpr Word words[] = {
        {QKeySequence::MoveToPreviousWord, true, false, false},
        {QKeySequence::MoveToNextWord, false, false, false},
        {QKeySequence::SelectPreviousWord, true, true, false},
        {QKeySequence::SelectNextWord, false, true, false},
        {QKeySequence::DeleteStartOfWord, true, true, true},
        {QKeySequence::DeleteEndOfWord, false, true, true},
    };
    for (const Word& word : words) {
        if (!key->matches(word.key))
            continue;
        if ((word.remove && (cursor.hasSelection() || edit_->isReadOnly()))
            || (word.back ? atStart && !isJoin(block) : atEnd && !isJoin(block.next())))
            return false;
        cursor.setPosition(moved(at, word.back ? QTextCursor::PreviousWord : QTextCursor::NextWord),
                           word.select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        if (word.remove) {
            cursor.beginEditBlock();
            cursor.removeSelectedText();
            cursor.endEditBlock();
        }
        edit_->setTextCursor(cursor);
        edit_->ensureCursorVisible();
        return true;
    }
    // The end of a piece and the start of the next are one place: a key that
    // moves or deletes one character starts from the side it goes to.
    const bool plain = !cursor.hasSelection();
    const bool select =
        key->matches(QKeySequence::SelectPreviousChar) || key->matches(QKeySequence::SelectNextChar);
    const bool back = key->matches(QKeySequence::SelectPreviousChar)
                      || (plain && (key->matches(QKeySequence::MoveToPreviousChar) || isBackspace(key)));
    const bool forward =
        key->matches(QKeySequence::SelectNextChar)
        || (plain && (key->matches(QKeySequence::MoveToNextChar) || key->matches(QKeySequence::Delete)));
    if ((back && atStart && isJoin(block)) || (forward && atEnd && isJoin(block.next()))) {
        cursor.setPosition(back ? at - 1 : at + 1,
                           select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        edit_->setTextCursor(cursor);
    }
    return false;
}

bool LinePieces::clicked(QEvent* event)
{
    const bool twice = event->type() == QEvent::MouseButtonDblClick;
    if (!twice && event->type() != QEvent::MouseButtonPress)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || mouse->modifiers() != Qt::NoModifier)
        return false;
    const QPoint point = mouse->position().toPoint();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // The widget takes a press soon after a double click, close to it, as a
    // third click, which selects the block.
    const bool thrice =
        !twice && doubleClickAt_ >= 0
        && now - doubleClickAt_ <= 2 * QGuiApplication::styleHints()->mouseDoubleClickInterval()
        && (point - doubleClickPoint_).manhattanLength() < QGuiApplication::styleHints()->startDragDistance();
    if (twice) {
        doubleClickAt_ = now;
        doubleClickPoint_ = point;
    } else {
        doubleClickAt_ = -1;
    }
    if ((!twice && !thrice) || joins_.empty())
        return false;
    const int hit = edit_->cursorForPosition(point).position();
    const QTextCursor before = edit_->textCursor();
    {
        const QScopedValueRollback<bool> forwarding(forwarding_, true);
        QCoreApplication::sendEvent(edit_->viewport(), event);
    }
    QTextCursor cursor = edit_->textCursor();
    const QTextBlock block = documentBlock(cursor.selectionStart());
    // A press that left the selection as it was begins a drag, no third click.
    if (!cursor.hasSelection() || (!isJoin(block) && !isJoin(block.next())) || (thrice && cursor == before))
        return true;
    // Where the widget selected a word or a block, the line read as one.
    int from = 0;
    int to = 0;
    if (twice) {
        std::tie(from, to) = wordAt(hit);
    } else {
        const bool blockWhole = cursor.selectionStart() == block.position()
                                && cursor.selectionEnd() >= block.position() + block.length() - 1;
        if (!blockWhole)
            return true;
        std::tie(from, to) = lineOf(block);
        to = std::min(to + 1, document()->characterCount() - 1);
    }
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    // Where the click was: setting the caret would scroll to it, and the
    // widget takes a click after that to be elsewhere than this one.
    const int across = edit_->horizontalScrollBar()->value();
    const int down = edit_->verticalScrollBar()->value();
    edit_->setTextCursor(cursor);
    edit_->horizontalScrollBar()->setValue(across);
    edit_->verticalScrollBar()->setValue(down);
    if (QClipboard* clipboard = QGuiApplication::clipboard(); clipboard->supportsSelection())
        clipboard->setText(plainText(cursor), QClipboard::Selection);
    return true;
}

} // namespace mx
