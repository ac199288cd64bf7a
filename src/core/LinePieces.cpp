// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LinePieces.h"

#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextBoundaryFinder>
#include <QTextDocument>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// What a join's character format carries: an object type Qt has no object
// of, and one that every insert of the widget's own clears from the format
// it copies, so that no line end the user makes ever reads as a join.
constexpr int kJoinObject = QTextFormat::UserObject + 1;

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
// last piece shorter than `small` where it fits with the one before.
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
        // A character that runs to the end leaves nothing to cut off; a
        // small rest stays with the piece before while the two fit in one.
        if (cut >= line.size() || (line.size() - cut < small && line.size() - from <= 2 * length))
            break;
        cuts.push_back(cut);
        from = cut;
    }
    return cuts;
}

// The blocks of the line around a block, as far as its length stays within
// limit: a walk over a few blocks, however long the line.
struct LineAround {
    QTextBlock start;
    QTextBlock end;
    int length;
};

} // namespace

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

} // namespace

bool LinePieces::isSeparator(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == u'\uFDD0' || c == u'\uFDD1';
}

int LinePieces::lineLength(const QTextBlock& block, int limit)
{
    return lineAround(block, limit, &isJoin).length;
}

namespace {

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
    // Undo and redo bring back states that kept the rule; a repair joined
    // to one would be undone by the next Ctrl+Z and made again, so that
    // Ctrl+Z seemed to do nothing. Undo grows the redo stack, redo shrinks
    // it, and every other change empties it.
    const int redo = document()->availableRedoSteps();
    const bool undoOrRedo = redo > redoSteps_ || (redo > 0 && redo < redoSteps_);
    redoSteps_ = redo;
    if (undoOrRedo)
        touchedFirst_ = touchedLast_ = -1;
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
    // Where the change left off: the caret.
    QTextCursor end = edit_->textCursor();
    end.clearSelection();
    if (!restore(nullptr, first, last))
        return;
    const QScopedValueRollback<bool> repairing(repairing_, true);
    QTextCursor step(document());
    step.joinPreviousEditBlock();
    keepInStep(end, first, last);
    step.endEditBlock();
}

bool LinePieces::keepInStep(const QTextCursor& end, int first, int last)
{
    if (!restore(nullptr, first, last))
        return false;
    QTextCursor cursor(document());
    restore(&cursor, first, last);
    cursor.setPosition(end.position());
    endStep(cursor);
    return true;
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
    return true;
}

void LinePieces::replace(QTextCursor& cursor, const QString& widgetText, bool joinPrevious)
{
    if (joinPrevious)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int first = cursor.blockNumber();
    const bool cut = insertInPieces(cursor, widgetText);
    // Put right before the widget lays the edit out, which would shape a
    // block that outgrew its most whole first. In pieces the text is stored
    // otherwise than in one insert, which a character typed after it could
    // join where the widget's would not: that ends the step too.
    if (!keepInStep(cursor, first, cursor.blockNumber()) && cut) {
        QTextCursor end(cursor);
        endStep(end);
    }
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

} // namespace mx
