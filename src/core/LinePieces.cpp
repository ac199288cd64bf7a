// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

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
#include <QTextBoundaryFinder>
#include <QTextDocument>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// What a join's character format carries: an object type Qt has no object
// of, and one that every insert of the widget's own clears from the format
// it copies, so that no line end the user makes ever reads as a join.
constexpr int kJoinObject = QTextFormat::UserObject + 1;

// How far the text around a position reaches each way at first, in whole
// pieces, for words and sentences: few of a page outgrow it.
constexpr int kAround = 4096;

// Whether a cut at `at` would fall inside a character as the user sees it:
// a letter and its marks, a surrogate pair, an emoji sequence.
bool insideCharacter(QStringView text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return false;
    // Below the combining marks every pair of characters is a boundary.
    if (text[at - 1].unicode() < 0x300 && text[at].unicode() < 0x300)
        return false;
    const qsizetype from = std::max<qsizetype>(0, at - 16);
    const QStringView window = text.sliced(from, std::min<qsizetype>(text.size(), at + 16) - from);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, window);
    graphemes.setPosition(at - from);
    return !graphemes.isAtBoundary();
}

// Where a line longer than `length` is cut: after the last '>' in the
// second half of each piece's room, so that a cut mostly falls between
// tags, else at the length; never inside a character, and never leaving a
// last piece shorter than `small`, which stays with the one before.
std::vector<qsizetype> cutsOf(QStringView line, int length, int small)
{
    std::vector<qsizetype> cuts;
    qsizetype from = 0;
    while (line.size() - from > length) {
        const qsizetype half = from + length / 2;
        qsizetype cut = from + length;
        const qsizetype tag = line.sliced(half, cut - half).lastIndexOf(u'>');
        if (tag >= 0)
            cut = half + tag + 1;
        while (cut > from + 1 && insideCharacter(line, cut))
            --cut;
        while (cut < line.size() && insideCharacter(line, cut))
            ++cut;
        if (line.size() - cut < small)
            break;
        cuts.push_back(cut);
        from = cut;
    }
    return cuts;
}

bool isSeparator(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == u'\uFDD0' || c == u'\uFDD1';
}

// The blocks of the line around a block, as far as its length stays within
// limit: a walk over a few blocks, however long the line.
struct LineAround {
    QTextBlock start;
    QTextBlock end;
    int length;
};

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

LinePieces::LinePieces(QPlainTextEdit* widget) : QObject(widget), edit_(widget), viewport_(widget->viewport())
{
    QTextDocument* doc = document();
    blockCount_ = doc->blockCount();
    connect(doc, &QTextDocument::contentsChange, this, &LinePieces::contentsChange);
    connect(doc, &QTextDocument::contentsChanged, this, &LinePieces::contentsChanged);
    edit_->installEventFilter(this);
    viewport_->installEventFilter(this);
}

LinePieces* LinePieces::of(const QObject* widget)
{
    return widget ? widget->findChild<LinePieces*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void LinePieces::setLimits(int longLine, int pieceLength)
{
    longLine_ = longLine;
    pieceLength_ = pieceLength;
}

QTextDocument* LinePieces::document() const
{
    return edit_->document();
}

QTextBlock LinePieces::documentBlock(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    return block.isValid() ? block : document()->lastBlock();
}

bool LinePieces::isJoin(const QTextBlock& block)
{
    // A block's character format is that of the separator in front of it.
    return block.isValid() && block.position() > 0 && block.charFormat().objectType() == kJoinObject;
}

bool LinePieces::continuesLine(const QTextBlock& block) const
{
    return isJoin(block);
}

QTextCharFormat LinePieces::joinFormat(const QTextCursor& at)
{
    QTextCharFormat format = at.charFormat();
    format.setObjectType(kJoinObject);
    return format;
}

int LinePieces::mostIn(const QTextBlock& block) const
{
    return isJoin(block) || isJoin(block.next()) ? mostInPiece() : longLine_;
}

int LinePieces::joinsThrough(int block) const
{
    return int(std::upper_bound(joins_.begin(), joins_.end(), block) - joins_.begin());
}

namespace {

LineAround lineAround(const QTextBlock& block, int limit, bool (*isJoin)(const QTextBlock&))
{
    LineAround line{block, block, block.length() - 1};
    while (line.length <= limit && isJoin(line.start)) {
        line.start = line.start.previous();
        line.length += line.start.length() - 1;
    }
    while (line.length <= limit && isJoin(line.end.next())) {
        line.end = line.end.next();
        line.length += line.end.length() - 1;
    }
    return line;
}

// Whether the join in front of a block falls inside a character.
bool splitsCharacter(const QTextBlock& block)
{
    const QString before = block.previous().text().right(16);
    return insideCharacter(QString(before + block.text().left(16)), before.size());
}

} // namespace

void LinePieces::contentsChange(int position, int removed, int added)
{
    const QTextDocument* doc = document();
    // A change that reaches the end counts the last block's separator, which
    // is no character, as both removed and added.
    const int excess = std::max(0, position + added - (doc->characterCount() - 1));
    removed -= excess;
    added -= excess;
    const int count = doc->blockCount();
    const int delta = count - blockCount_;
    blockCount_ = count;
    if (loading_)
        return;
    // The blocks the change spans, in today's numbering. The separator in
    // front of the first lies before the change, so whether it is a join did
    // not change; blocks after the last only moved.
    const int first = documentBlock(position).blockNumber();
    const int last = documentBlock(position + added).blockNumber();
    const auto from = std::upper_bound(joins_.begin(), joins_.end(), first);
    const auto to = std::upper_bound(from, joins_.end(), last - delta);
    const int joinsBefore = int(from - joins_.begin());
    const int oldJoins = int(to - from);
    std::vector<int> spanned;
    QTextBlock block = doc->findBlockByNumber(first).next();
    for (int n = first + 1; n <= last && block.isValid(); ++n, block = block.next())
        if (isJoin(block))
            spanned.push_back(n);
    // Most changes give the same joins back, so in place: moving the list's
    // tail costs more than the rest of a keystroke.
    auto it = from;
    auto join = spanned.cbegin();
    for (; it != to && join != spanned.cend(); ++it, ++join)
        *it = *join;
    if (join != spanned.cend())
        it = joins_.insert(it, join, spanned.cend()) + (spanned.cend() - join);
    else
        it = joins_.erase(it, to);
    if (delta != 0)
        for (; it != joins_.end(); ++it)
            *it += delta;
    if (repairing_ || composing_)
        return;
    touchedFirst_ = touchedFirst_ < 0 ? first : std::min(touchedFirst_, first);
    touchedLast_ = std::max(touchedLast_, last);
    const int removedChars = removed - oldJoins;
    const int addedChars = added - int(spanned.size());
    if (removedChars != 0 || addedChars != 0)
        Q_EMIT joinedChange(position - joinsBefore, removedChars, addedChars);
}

void LinePieces::contentsChanged()
{
    if (!composing_)
        Q_EMIT changed();
    if (repairing_ || loading_ || touchedFirst_ < 0)
        return;
    const int first = touchedFirst_;
    const int last = std::min(touchedLast_, document()->blockCount() - 1);
    touchedFirst_ = touchedLast_ = -1;
    repair(first, last);
}

bool LinePieces::joinGoes(const QTextBlock& piece) const
{
    const int before = piece.previous().length() - 1;
    const int here = piece.length() - 1;
    return before == 0 || here == 0
           || ((before < smallPiece() || here < smallPiece()) && before + here <= mostInPiece())
           || splitsCharacter(piece);
}

bool LinePieces::restore(QTextCursor* cursor, int first, int last)
{
    QTextDocument* doc = document();
    const int bottom = std::max(first - 1, 0);
    const int top = std::min(last + 1, doc->blockCount() - 1);
    // The range's ends, carried through the joins to the cuts: joining a
    // whole line can take blocks below the range too.
    const QTextCursor low(doc->findBlockByNumber(bottom));
    const QTextCursor high(doc->findBlockByNumber(top));
    // Joins first, from the last block back, so that the numbers of those
    // still to look at hold: a line short enough again is one block, and a
    // join that should go goes.
    for (int n = top; n >= bottom; --n) {
        const QTextBlock block = doc->findBlockByNumber(n);
        if (!isJoin(block) && !isJoin(block.next()))
            continue;
        const LineAround line = lineAround(block, longLine_, &isJoin);
        const bool whole = line.length <= longLine_;
        if (!whole && !(isJoin(block) && joinGoes(block)))
            continue;
        if (!cursor)
            return true;
        // By position, from the last back: a join's removal leaves the
        // places of those before it as they were.
        const int stop = whole ? line.start.blockNumber() : n - 1;
        std::vector<int> starts;
        for (QTextBlock piece = whole ? line.end : block; piece.blockNumber() > stop;
             piece = piece.previous())
            starts.push_back(piece.position());
        for (const int at : starts) {
            cursor->setPosition(at);
            cursor->deletePreviousChar();
        }
        n = stop + 1;
    }
    // Then cuts, from the last block back for the same reason.
    for (int n = high.blockNumber(); n >= low.blockNumber(); --n) {
        const QTextBlock block = doc->findBlockByNumber(n);
        if (block.length() - 1 <= mostIn(block))
            continue;
        const std::vector<qsizetype> cuts = cutsOf(block.text(), pieceLength_, smallPiece());
        if (!cursor && !cuts.empty())
            return true;
        const int start = block.position();
        for (auto at = cuts.rbegin(); cursor && at != cuts.rend(); ++at) {
            cursor->setPosition(start + int(*at));
            cursor->insertBlock(cursor->blockFormat(), joinFormat(*cursor));
        }
    }
    return false;
}

void LinePieces::repair(int first, int last)
{
    // Where the change left off: the caret, or the end of an edit made here.
    QTextCursor end = editEnd_.isNull() ? edit_->textCursor() : editEnd_;
    editEnd_ = QTextCursor();
    end.clearSelection();
    if (!restore(nullptr, first, last))
        return;
    const QScopedValueRollback<bool> repairing(repairing_, true);
    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock();
    restore(&cursor, first, last);
    cursor.setPosition(end.position());
    endStep(cursor);
    cursor.endEditBlock();
}

void LinePieces::endStep(QTextCursor& cursor)
{
    // Redo leaves the caret where the last thing in its step happened, and
    // a typed character joins a step that ended with text put in just
    // before it: an edit that takes itself back keeps the caret here and
    // the step to itself.
    cursor.insertText(u" "_s);
    cursor.deletePreviousChar();
}

bool LinePieces::holdsLongLine(const QString& widgetText) const
{
    // Most texts hold no line that needs cutting, and cost one look at each line.
    for (qsizetype start = 0, end = 0; end <= widgetText.size(); ++end)
        if (end == widgetText.size() || isSeparator(widgetText[end])) {
            if (end - start > longLine_)
                return true;
            start = end + 1;
        }
    return false;
}

bool LinePieces::insertInPieces(QTextCursor& cursor, const QString& widgetText)
{
    if (!holdsLongLine(widgetText)) {
        cursor.insertText(widgetText);
        return false;
    }
    QTextCharFormat format = cursor.charFormat();
    format.clearProperty(QTextFormat::ObjectType);
    const QTextCharFormat join = joinFormat(cursor);
    const QTextBlockFormat blockFormat = cursor.blockFormat();
    qsizetype start = 0;
    for (qsizetype end = 0; end <= widgetText.size(); ++end) {
        if (end < widgetText.size() && !isSeparator(widgetText[end]))
            continue;
        const QStringView line = QStringView(widgetText).sliced(start, end - start);
        qsizetype from = 0;
        if (line.size() > longLine_)
            for (const qsizetype at : cutsOf(line, pieceLength_, smallPiece())) {
                cursor.insertText(line.sliced(from, at - from).toString(), format);
                cursor.insertBlock(blockFormat, join);
                from = at;
            }
        cursor.insertText(line.sliced(from).toString(), format);
        if (end < widgetText.size())
            cursor.insertBlock(blockFormat, format);
        start = end + 1;
    }
    // In pieces the text is stored otherwise than in one insert, which a
    // character typed after it could join where the widget's would not.
    if (document()->isUndoRedoEnabled())
        endStep(cursor);
    return true;
}

void LinePieces::replace(QTextCursor& cursor, const QString& widgetText, bool joinPrevious)
{
    if (joinPrevious)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertInPieces(cursor, widgetText);
    editEnd_ = cursor;
    cursor.endEditBlock();
}

void LinePieces::load(const QString& widgetText)
{
    QTextDocument* doc = document();
    const int before = toJoined(doc->characterCount() - 1);
    {
        const QScopedValueRollback<bool> loading(loading_, true);
        joins_.clear();
        if (!holdsLongLine(widgetText)) {
            edit_->setPlainText(widgetText);
        } else {
            edit_->setPlainText(QString());
            doc->setUndoRedoEnabled(false);
            QTextCursor cursor(doc);
            cursor.beginEditBlock();
            insertInPieces(cursor, widgetText);
            cursor.endEditBlock();
            doc->setUndoRedoEnabled(true);
            for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
                if (isJoin(block))
                    joins_.push_back(block.blockNumber());
            edit_->moveCursor(QTextCursor::Start);
        }
        blockCount_ = doc->blockCount();
        touchedFirst_ = touchedLast_ = -1;
        editEnd_ = QTextCursor();
    }
    const int after = toJoined(doc->characterCount() - 1);
    if (before > 0 || after > 0)
        Q_EMIT joinedChange(0, before, after);
}

int LinePieces::toJoined(int widgetPosition) const
{
    if (joins_.empty())
        return widgetPosition;
    return widgetPosition - joinsThrough(documentBlock(widgetPosition).blockNumber());
}

int LinePieces::fromJoined(int offset) const
{
    // The last piece that starts at or before the offset.
    const QTextDocument* doc = document();
    const auto startOf = [&](size_t k) { return doc->findBlockByNumber(joins_[k]).position() - int(k) - 1; };
    size_t low = 0;
    size_t high = joins_.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (startOf(mid) <= offset)
            low = mid + 1;
        else
            high = mid;
    }
    return offset + int(low);
}

qsizetype LinePieces::toDocument(int widgetPosition) const
{
    // Each line end before the position is one character longer in the
    // document, each join one shorter.
    const int number = documentBlock(std::max(widgetPosition, 0)).blockNumber();
    return qsizetype(widgetPosition) + number - 2 * joinsThrough(number);
}

int LinePieces::toWidget(qsizetype documentPosition) const
{
    const QTextDocument* doc = document();
    if (documentPosition <= 0)
        return 0;
    const auto startOf = [&](int n) {
        return qsizetype(doc->findBlockByNumber(n).position()) + n - 2 * joinsThrough(n);
    };
    // The last block whose start, in document terms, is at or before the position.
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (startOf(mid) <= documentPosition)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    // A position inside or past a line end stands at the end of the line.
    const qsizetype offset = std::min<qsizetype>(documentPosition - startOf(low), block.length() - 1);
    return block.position() + int(offset);
}

qsizetype LinePieces::documentLength() const
{
    const QTextDocument* doc = document();
    // characterCount() includes the final block separator, which is no line
    // end; a join is no character at all.
    return qsizetype(doc->characterCount()) - 1 + (doc->blockCount() - 1) - 2 * qsizetype(joins_.size());
}

QString LinePieces::text(int from, int to, QStringView lineEnd) const
{
    const int end = document()->characterCount() - 1;
    QTextCursor range(document());
    range.setPosition(std::clamp(from, 0, end));
    range.setPosition(std::clamp(to, 0, end), QTextCursor::KeepAnchor);
    // toPlainText() would turn no-break spaces into spaces.
    const QString raw = range.selectionStart() == 0 && range.selectionEnd() == end ? document()->toRawText()
                                                                                   : range.selectedText();
    if (raw.indexOf(QChar::ParagraphSeparator) < 0)
        return raw;
    // Line ends become lineEnd, joins nothing.
    int block = documentBlock(range.selectionStart()).blockNumber();
    auto join = std::upper_bound(joins_.begin(), joins_.end(), block);
    QString out;
    out.reserve(raw.size() + (lineEnd.size() - 1) * raw.count(QChar::ParagraphSeparator));
    qsizetype start = 0;
    for (qsizetype i = raw.indexOf(QChar::ParagraphSeparator); i >= 0;
         i = raw.indexOf(QChar::ParagraphSeparator, start)) {
        out += QStringView(raw).sliced(start, i - start);
        start = i + 1;
        ++block;
        while (join != joins_.end() && *join < block)
            ++join;
        if (join == joins_.end() || *join != block)
            out += lineEnd;
    }
    out += QStringView(raw).sliced(start);
    return out;
}

QString LinePieces::text(QStringView lineEnd) const
{
    return text(0, document()->characterCount() - 1, lineEnd);
}

QString LinePieces::plainText(const QTextCursor& selection) const
{
    QString text = this->text(selection.selectionStart(), selection.selectionEnd(), u"\n");
    for (QChar& c : text) {
        if (c == QChar::LineSeparator || c == u'\uFDD0' || c == u'\uFDD1')
            c = u'\n';
        else if (c == QChar::Nbsp)
            c = u' ';
    }
    return text;
}

bool LinePieces::holdsJoin(int from, int to) const
{
    const int first = documentBlock(from).blockNumber();
    const int last = documentBlock(to).blockNumber();
    return joinsThrough(last) > joinsThrough(first);
}

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
    if (isBackspace(key))
        cursor.deletePreviousChar();
    else if (key->matches(QKeySequence::Delete))
        cursor.deleteChar();
    else
        cursor.insertText(key->text());
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
    if (typing) {
        const QString text = key->text();
        if (std::any_of(text.begin(), text.end(), isSeparator))
            return false;
        return length + text.size() > mostIn(block)
               || (pieced(block) && ((at == 0 && isJoin(block)) || (at == length && isJoin(block.next()))));
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
    return pieced(block)
           && (length - taken < smallPiece()
               || lineAround(block, longLine_ + taken, &isJoin).length <= longLine_ + taken);
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
