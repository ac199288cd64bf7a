// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TextArea.h"

#include "AccessibleText.h"
#include "TextEdit.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

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

// What the widget makes a block of: the line feeds of toWidgetText() and
// the separators it keeps as they are.
bool isBlockSeparator(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == u'\uFDD0' || c == u'\uFDD1';
}

// The block format property that marks a piece continuing its line.
constexpr int kContinuesLine = QTextFormat::UserProperty + 1;

QTextBlockFormat pieceFormat(QTextBlockFormat format, bool continues)
{
    if (continues)
        format.setProperty(kContinuesLine, true);
    else
        format.clearProperty(kContinuesLine);
    return format;
}

// Where a line longer than `length` is cut into pieces: after the last '>'
// in the second half of each piece's room, so that a cut mostly falls
// between tags, else at the full length; never inside a surrogate pair.
std::vector<qsizetype> cutsOf(QStringView line, int length)
{
    std::vector<qsizetype> cuts;
    qsizetype from = 0;
    while (line.size() - from > length) {
        qsizetype cut = from + length;
        const qsizetype tag = line.lastIndexOf(u'>', cut - 1);
        if (tag >= from + length / 2)
            cut = tag + 1;
        else if (line[cut - 1].isHighSurrogate() && line[cut].isLowSurrogate() && cut - 1 > from)
            --cut;
        cuts.push_back(cut);
        from = cut;
    }
    return cuts;
}

} // namespace

TextArea::TextArea(QPlainTextEdit* widget, QObject* parent) : QObject(parent), edit_(widget)
{
    QTextDocument* doc = edit_->document();
    blockCount_ = doc->blockCount();
    connect(doc, &QTextDocument::contentsChange, this, &TextArea::contentsChange);
    connect(doc, &QTextDocument::contentsChanged, this, &TextArea::contentsChanged);
    connect(edit_, &QPlainTextEdit::textChanged, this, &TextArea::changed);
    edit_->installEventFilter(this);
    if (auto* textEdit = qobject_cast<TextEdit*>(edit_)) {
        textEdit->setPlainTextInserter([this](const QString& text) {
            QTextCursor cursor = edit_->textCursor();
            edit(cursor, text);
            edit_->setTextCursor(cursor);
            // The widget's own paste or drop is a step that typing after it
            // does not join.
            runEnd_ = -1;
        });
    }
    exposeToAccessibility(*this);
}

bool TextArea::continuesLine(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(kContinuesLine);
}

QString TextArea::withoutPieceJoins(const QTextCursor& range)
{
    QString text = range.selectedText();
    QTextBlock block = range.document()->findBlock(range.selectionStart());
    qsizetype to = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar::ParagraphSeparator) {
            block = block.next();
            if (continuesLine(block))
                continue;
        }
        text[to++] = text[i];
    }
    text.truncate(to);
    return text;
}

int TextArea::mostIn(const QTextBlock& block) const
{
    return continuesLine(block) || continuesLine(block.next()) ? pieceLength_ : longLine_;
}

int TextArea::joinsThrough(int block) const
{
    return int(std::upper_bound(joins_.begin(), joins_.end(), block) - joins_.begin());
}

TextArea::LineAround TextArea::lineAround(const QTextBlock& block, int limit)
{
    LineAround line{block, block, block.length() - 1};
    while (line.length <= limit && continuesLine(line.start) && line.start.previous().isValid()) {
        line.start = line.start.previous();
        line.length += line.start.length() - 1;
    }
    while (line.length <= limit && continuesLine(line.end.next())) {
        line.end = line.end.next();
        line.length += line.end.length() - 1;
    }
    return line;
}

bool TextArea::needsJoin(const QTextBlock& block) const
{
    if (!continuesLine(block) && !continuesLine(block.next()))
        return false;
    return block.length() - 1 < smallPiece() || lineAround(block, longLine_).length <= longLine_;
}

void TextArea::contentsChange(int position, int removed, int added)
{
    ++changes_;
    const QTextDocument* doc = edit_->document();
    // A change that reaches the end counts the last block's separator, which
    // is no character, as both removed and added.
    const int excess = std::max(0, position + added - (doc->characterCount() - 1));
    removed -= excess;
    added -= excess;
    const int count = doc->blockCount();
    const int delta = count - blockCount_;
    blockCount_ = count;
    if (!indexing_)
        return;
    // The blocks the change spans, in today's numbering; blocks after it
    // only moved by the change in the number of blocks.
    const QTextBlock firstBlock = doc->findBlock(position);
    const int first = firstBlock.isValid() ? firstBlock.blockNumber() : count - 1;
    const QTextBlock lastBlock = doc->findBlock(position + added);
    const int last = lastBlock.isValid() ? lastBlock.blockNumber() : count - 1;
    const auto from = std::lower_bound(joins_.begin(), joins_.end(), first);
    const auto to = std::upper_bound(from, joins_.end(), last - delta);
    std::vector<int> spanned;
    // Undo and redo bring back the pieces' marks with their blocks, so the
    // blocks themselves say which are pieces.
    QTextBlock block = firstBlock.isValid() ? firstBlock : doc->lastBlock();
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next())
        if (n > 0 && continuesLine(block))
            spanned.push_back(n);

    // The change in joined positions, counted over the list from before it.
    // Marking the first block as a piece, or taking the mark away, changes
    // what the separator in front of it reads as: the separator joins the change.
    const QTextBlock firstNow = doc->findBlockByNumber(first);
    const bool marked = from != joins_.end() && *from == first;
    const bool flipped = first > 0 && position == firstNow.position() && marked != continuesLine(firstNow);
    const int start = flipped ? position - 1 : position;
    const int before = flipped ? first - 1 : first;
    const int joinsBefore = joinsThrough(before);
    const int oldJoins = joinsThrough(last - delta) - joinsBefore;
    const int newJoins = int(spanned.end() - std::upper_bound(spanned.begin(), spanned.end(), before));

    // The spanned pieces take the place of those listed for the blocks
    // the change spans. Most changes give the same ones back, so in place:
    // moving the list's tail costs more than the rest of a keystroke.
    auto it = from;
    auto piece = spanned.cbegin();
    for (; it != to && piece != spanned.cend(); ++it, ++piece)
        *it = *piece;
    if (piece != spanned.cend())
        it = joins_.insert(it, piece, spanned.cend()) + (spanned.cend() - piece);
    else
        it = joins_.erase(it, to);
    if (delta != 0)
        for (; it != joins_.end(); ++it)
            *it += delta;
    if (!editing_) {
        touchedFirst_ = touchedFirst_ < 0 ? first : std::min(touchedFirst_, first);
        touchedLast_ = std::max(touchedLast_, last);
    }
    const int removedChars = position + removed - start - oldJoins;
    const int addedChars = position + added - start - newJoins;
    if (removedChars != 0 || addedChars != 0)
        Q_EMIT joinedChange(start - joinsBefore, removedChars, addedChars);
}

void TextArea::contentsChanged()
{
    if (editing_ || touchedFirst_ < 0)
        return;
    const int first = touchedFirst_;
    const int last = std::min(touchedLast_, edit_->document()->blockCount() - 1);
    touchedFirst_ = touchedLast_ = -1;
    // Typing, a paste or a drop into a plain widget can grow a piece past
    // its length; it is cut as part of the same undo step. Undo and redo
    // bring back only pieces that were short enough.
    // Pieces that have become short join again the same way, but not while
    // redo is possible: an edit now would throw the steps to redo away.
    const QTextDocument* doc = edit_->document();
    bool tooLong = false;
    bool joinable = false;
    QTextBlock block = doc->findBlockByNumber(first);
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next()) {
        tooLong = tooLong || block.length() - 1 > mostIn(block);
        joinable = joinable || (!doc->isRedoAvailable() && needsJoin(block));
    }
    if (!tooLong && !joinable)
        return;
    QTextCursor cursor(edit_->document());
    editing_ = true;
    cursor.joinPreviousEditBlock();
    const int cut = cutLongBlocks(cursor, first, last);
    if (joinable)
        joinPieces(cursor, first, last + cut);
    cursor.endEditBlock();
    editing_ = false;
}

void TextArea::joinAt(QTextCursor& cursor, int at)
{
    // The widget keeps the format of the block after the separator where
    // the one before is empty; what remains must keep the one before's.
    const QTextDocument* doc = cursor.document();
    const bool continues = continuesLine(doc->findBlock(at - 1));
    cursor.setPosition(at);
    cursor.deletePreviousChar();
    const QTextBlock joined = cursor.block();
    if (continuesLine(joined) != continues)
        cursor.setBlockFormat(pieceFormat(joined.blockFormat(), continues));
}

int TextArea::cutLongBlocks(QTextCursor& cursor, int first, int last)
{
    QTextDocument* doc = edit_->document();
    int cut = 0;
    // From the last block back, so that the numbers of those still to cut hold.
    for (int n = last; n >= first; --n) {
        const QTextBlock block = doc->findBlockByNumber(n);
        if (!block.isValid() || block.length() - 1 <= mostIn(block))
            continue;
        const std::vector<qsizetype> cuts = cutsOf(block.text(), pieceLength_);
        const QTextBlockFormat format = pieceFormat(block.blockFormat(), true);
        const int start = block.position();
        for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
            cursor.setPosition(start + int(*cut));
            cursor.insertBlock(format);
        }
        cut += int(cuts.size());
    }
    return cut;
}

bool TextArea::joinPieces(QTextCursor& cursor, int first, int last)
{
    QTextDocument* doc = edit_->document();
    bool joined = false;
    // From the last block back, so that the numbers of those still to look at hold.
    for (int n = std::min(last, doc->blockCount() - 1); n >= first; --n) {
        const QTextBlock block = doc->findBlockByNumber(n);
        if (!continuesLine(block) && !continuesLine(block.next()))
            continue;
        const LineAround line = lineAround(block, longLine_);
        if (line.length <= longLine_) {
            std::vector<int> pieces;
            for (QTextBlock piece = line.start; piece != line.end;) {
                piece = piece.next();
                pieces.push_back(piece.position());
            }
            for (auto at = pieces.rbegin(); at != pieces.rend(); ++at)
                joinAt(cursor, *at);
            n = line.start.blockNumber();
            joined = true;
            continue;
        }
        if (block.length() - 1 >= smallPiece())
            continue;
        const QTextBlock next = block.next();
        if (continuesLine(block) && block.previous().length() + block.length() - 2 <= pieceLength_) {
            joinAt(cursor, block.position());
            joined = true;
        } else if (continuesLine(next) && block.length() + next.length() - 2 <= pieceLength_) {
            joinAt(cursor, next.position());
            joined = true;
        }
    }
    return joined;
}

void TextArea::edit(QTextCursor& cursor, const QString& text, bool joinPrevious)
{
    const QString widgetText = toWidgetText(text);
    const QTextDocument* doc = edit_->document();
    editing_ = true;
    if (joinPrevious)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    const int from = cursor.selectionStart();
    const bool inPiece = continuesLine(doc->findBlock(from));
    const qsizetype docFrom = toDocument(from);
    cursor.insertText(widgetText);
    const int to = cursor.position();
    const int first = doc->findBlock(from).blockNumber();
    const int last = doc->findBlock(to).blockNumber();
    // New blocks may take the mark of a piece they were split from or that
    // was removed, but the line ends inserted are real: the blocks after
    // them start lines, and the first keeps what stood at its place (the
    // document's first block always starts a line).
    QTextCursor marks(edit_->document());
    const QTextBlock firstBlock = doc->findBlockByNumber(first);
    const bool piece = first > 0 && inPiece;
    const bool marked = continuesLine(firstBlock) != piece;
    if (marked) {
        marks.setPosition(firstBlock.position());
        marks.setBlockFormat(pieceFormat(firstBlock.blockFormat(), piece));
    }
    bool unmark = false;
    QTextBlock block = firstBlock.next();
    for (int n = first + 1; n <= last && block.isValid() && !unmark; ++n, block = block.next())
        unmark = continuesLine(block);
    if (unmark) {
        marks.setPosition(doc->findBlockByNumber(first + 1).position());
        marks.setPosition(doc->findBlockByNumber(last).position(), QTextCursor::KeepAnchor);
        marks.setBlockFormat(pieceFormat(marks.blockFormat(), false));
    }
    QTextCursor pieces(cursor);
    const int cut = cutLongBlocks(pieces, first, last);
    const bool joined = joinPieces(pieces, first, last + cut);
    cursor.endEditBlock();
    editing_ = false;
    if (!widgetText.isEmpty() && (!joinPrevious || docFrom == typedTo_)) {
        typedFrom_ = joinPrevious ? typedFrom_ : docFrom;
        typedTo_ = toDocument(cursor.position());
    }
    // The widget merges no typed character into a step that put in a line end.
    runEnd_ = widgetText.isEmpty() || std::any_of(widgetText.begin(), widgetText.end(), isBlockSeparator)
                  ? -1
                  : cursor.position();
    runChanges_ = changes_;
    runKind_ = 0;
    // What follows the text in the undo step keeps the widget from merging
    // the next typed character into it.
    runJoins_ = marked || unmark || cut > 0 || joined;
}

bool TextArea::keyAtJoin(QKeyEvent* key)
{
    QTextCursor cursor = edit_->textCursor();
    const QTextBlock block = cursor.block();
    // A line end typed in a piece starts a line; the widget's own would
    // copy the piece's mark onto the new block.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && !(key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) && continuesLine(block)) {
        edit(cursor, u"\r\n"_s);
        showEdit(cursor);
        return true;
    }
    if (typedInPieces(key))
        return true;
    // Without pieces nothing here applies, but for a run of deletions that
    // began in pieces and goes on in the line they joined into.
    if (joins_.empty() && (runKind_ == 0 || runChanges_ != changes_))
        return false;
    // Removing a selection that ends at the start of a piece would leave the
    // piece's mark on the block that remains, and the line before would lose
    // its line end: the selection goes through edit(), which keeps the marks.
    if (cursor.hasSelection() && !edit_->isReadOnly() && !joins_.empty()
        && (key->matches(QKeySequence::Delete) || key->matches(QKeySequence::Cut)
            || (key->key() == Qt::Key_Backspace && !(key->modifiers() & ~Qt::ShiftModifier)))) {
        if (key->matches(QKeySequence::Cut))
            edit_->copy();
        edit(cursor, QString());
        showEdit(cursor);
        return true;
    }
    // The end of a piece and the start of the next are one place of the
    // document: a key that moves or deletes across it starts from the side
    // it goes to, so that it reaches a character.
    const bool select =
        key->matches(QKeySequence::SelectPreviousChar) || key->matches(QKeySequence::SelectNextChar)
        || key->matches(QKeySequence::SelectPreviousWord) || key->matches(QKeySequence::SelectNextWord);
    const bool plain = !cursor.hasSelection();
    const bool back =
        select
            ? key->matches(QKeySequence::SelectPreviousChar) || key->matches(QKeySequence::SelectPreviousWord)
            : plain
                  && (key->matches(QKeySequence::MoveToPreviousChar)
                      || key->matches(QKeySequence::MoveToPreviousWord)
                      || key->matches(QKeySequence::DeleteStartOfWord)
                      || (key->key() == Qt::Key_Backspace && !(key->modifiers() & ~Qt::ShiftModifier)));
    const bool forward =
        select
            ? key->matches(QKeySequence::SelectNextChar) || key->matches(QKeySequence::SelectNextWord)
            : plain
                  && (key->matches(QKeySequence::MoveToNextChar) || key->matches(QKeySequence::MoveToNextWord)
                      || key->matches(QKeySequence::DeleteEndOfWord) || key->matches(QKeySequence::Delete));
    int at = cursor.position();
    const QTextDocument* doc = edit_->document();
    if (back) {
        for (QTextBlock b = doc->findBlock(at); b.isValid() && at == b.position() && continuesLine(b);
             b = doc->findBlock(at))
            --at;
    } else if (forward) {
        for (QTextBlock b = doc->findBlock(at);
             b.isValid() && at == b.position() + b.length() - 1 && continuesLine(b.next()); b = b.next())
            ++at;
    }
    // A word that joins cut is one: the widget's own word moves stop at
    // each piece's edge.
    const bool wordMove =
        key->matches(QKeySequence::MoveToPreviousWord) || key->matches(QKeySequence::MoveToNextWord)
        || key->matches(QKeySequence::SelectPreviousWord) || key->matches(QKeySequence::SelectNextWord);
    if (wordMove && (back || forward)) {
        const QTextBlock block = doc->findBlock(at);
        const int edge = continuesLine(block) || continuesLine(block.next()) ? wordEdge(at, back) : at;
        if (edge != at) {
            cursor.setPosition(edge, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            showEdit(cursor);
            return true;
        }
    }
    const bool deletes =
        plain && !edit_->isReadOnly()
        && (key->matches(QKeySequence::DeleteStartOfWord) || key->matches(QKeySequence::DeleteEndOfWord)
            || key->matches(QKeySequence::Delete)
            || (key->key() == Qt::Key_Backspace && !(key->modifiers() & ~Qt::ShiftModifier)));
    if (deletes && deletedInPieces(key, at, back))
        return true;
    if (at != cursor.position()) {
        cursor.setPosition(at, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        edit_->setTextCursor(cursor);
    }
    return false;
}

void TextArea::showEdit(const QTextCursor& cursor)
{
    edit_->setTextCursor(cursor);
    edit_->ensureCursorVisible();
}

bool TextArea::typedInPieces(QKeyEvent* key)
{
    const QString typed = key->text();
    if (typed.isEmpty() || !typed[0].isPrint()
        || (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) || edit_->isReadOnly())
        return false;
    QTextCursor cursor = edit_->textCursor();
    const QTextBlock block = cursor.block();
    const bool selection = cursor.hasSelection();
    const bool continues = !selection && continuesRun(cursor.position(), 0);
    const bool cut =
        block.length() - 1 - (cursor.selectionEnd() - cursor.selectionStart()) + typed.size() > mostIn(block);
    // A character that continues a run of typing, or that replaces a
    // selection where no line is in pieces, the widget puts in as it would
    // anywhere. Otherwise it starts its own undo step here, as an edit block
    // that a cut later in the run can join; or it joins the run itself,
    // where the run's step ends in a cut or a mark or it needs a cut.
    if (!cut && (selection ? joins_.empty() : continues && !runJoins_ && cursor.position() == runEnd_)) {
        if (!continues)
            typedFrom_ = toDocument(cursor.selectionStart());
        typedTo_ = toDocument(cursor.selectionStart()) + typed.size();
        runEnd_ = cursor.selectionStart() + int(typed.size());
        runChanges_ = changes_ + 1;
        runJoins_ = false;
        runKind_ = 0;
        return false;
    }
    edit(cursor, typed, continues);
    showEdit(cursor);
    return true;
}

bool TextArea::deletedInPieces(QKeyEvent* key, int at, bool back)
{
    // Where a line is in pieces, deletions go in here, so that a piece
    // that becomes small or a line that becomes short joins in the same
    // undo step, and consecutive deletions make one step as the widget's
    // own do; the run goes on in the line its pieces joined into.
    const QTextDocument* doc = edit_->document();
    const int kind = back ? -1 : 1;
    bool continues = continuesRun(at, kind);
    QTextCursor cursor = edit_->textCursor();
    cursor.setPosition(at);
    if (key->matches(QKeySequence::DeleteStartOfWord) || key->matches(QKeySequence::DeleteEndOfWord)) {
        cursor.setPosition(wordEdge(at, key->matches(QKeySequence::DeleteStartOfWord)),
                           QTextCursor::KeepAnchor);
    } else if (!back) {
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    } else if (at > 0) {
        // Backspace takes one character: both halves of a surrogate pair.
        const bool pair =
            at > 1 && doc->characterAt(at - 1).isLowSurrogate() && doc->characterAt(at - 2).isHighSurrogate();
        cursor.setPosition(at - (pair ? 2 : 1), QTextCursor::KeepAnchor);
    }
    if (!cursor.hasSelection())
        return false;
    const QTextBlock block = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    // A run of deletions right after a run of typing: the typed characters
    // are the ones that went in together.
    if (!continues && (runKind_ != 0 || runChanges_ != changes_))
        typedFrom_ = typedTo_ = -1;
    const qsizetype from = toDocument(cursor.selectionStart());
    const qsizetype length = toDocument(cursor.selectionEnd()) - from;
    const bool typed = from >= typedFrom_ && from < typedTo_;
    // A word, or a line end, the widget takes in a step of its own.
    const bool single = !key->matches(QKeySequence::DeleteStartOfWord)
                        && !key->matches(QKeySequence::DeleteEndOfWord)
                        && withoutPieceJoins(cursor).indexOf(QChar::ParagraphSeparator) < 0;
    continues = continues && single && typed == deletedTyped_;
    if (!continues && block == last && !continuesLine(block) && !continuesLine(block.next()))
        return false;
    edit(cursor, QString(), continues);
    showEdit(cursor);
    runEnd_ = cursor.position();
    runJoins_ = true;
    runKind_ = single ? kind : 2;
    deletedTyped_ = typed;
    if (from < typedTo_)
        typedTo_ -= length;
    if (from < typedFrom_)
        typedFrom_ -= length;
    return true;
}

TextArea::PiecesAround TextArea::piecesAround(int position, int room) const
{
    PiecesAround around{edit_->document()->findBlock(position), {}, {}, 0};
    around.last = around.first;
    around.offset = position - around.first.position();
    for (int after = around.first.length() - 1 - around.offset;
         after < room && continuesLine(around.last.next());) {
        around.last = around.last.next();
        after += around.last.length() - 1;
    }
    while (around.offset < room && continuesLine(around.first)) {
        around.first = around.first.previous();
        around.offset += around.first.length() - 1;
    }
    for (QTextBlock b = around.first;; b = b.next()) {
        around.text += b.text();
        if (b == around.last)
            break;
    }
    return around;
}

int TextArea::wordEdge(int at, bool back) const
{
    // A few hundred characters each way: words run shorter than that, and a
    // longer one is taken in parts.
    const PiecesAround around = piecesAround(at, std::max(2 * pieceLength_, 256));
    const QTextLayout layout(around.text);
    int edge = back ? layout.previousCursorPosition(around.offset, QTextLayout::SkipWords)
                    : layout.nextCursorPosition(around.offset, QTextLayout::SkipWords);
    QTextBlock block = around.first;
    while (edge > block.length() - 1 && block != around.last) {
        edge -= block.length() - 1;
        block = block.next();
    }
    return block.position() + edge;
}

bool TextArea::continuesRun(int at, int kind) const
{
    const QTextDocument* doc = edit_->document();
    // Both sides of a join are one place of the document.
    return doc->isModified() && doc->isUndoAvailable() && runChanges_ == changes_ && runEnd_ >= 0
           && toDocument(at) == toDocument(runEnd_)
           && (kind == 0 ? runKind_ == 0 : runKind_ == -1 || runKind_ == 1);
}

bool TextArea::committedInPieces(QInputMethodEvent* input)
{
    const QString commit = input->commitString();
    if (commit.isEmpty() || edit_->isReadOnly())
        return false;
    QTextCursor cursor = edit_->textCursor();
    if (input->replacementLength() > 0) {
        if (cursor.hasSelection())
            return false;
        const int at = cursor.position() + input->replacementStart();
        cursor.setPosition(at);
        cursor.setPosition(at + input->replacementLength(), QTextCursor::KeepAnchor);
    }
    const QTextBlock block = cursor.block();
    const bool lineEnd = commit.contains(u'\n') || commit.contains(u'\r');
    const bool cut = block.length() - 1 - (cursor.selectionEnd() - cursor.selectionStart()) + commit.size()
                     > mostIn(block);
    if (!cut && (joins_.empty() || (!lineEnd && !cursor.hasSelection()))) {
        // The widget's own commit ends its step in the text, as typing does.
        typedFrom_ = toDocument(cursor.selectionStart());
        typedTo_ = typedFrom_ + commit.size();
        runEnd_ = cursor.selectionStart() + int(commit.size());
        runChanges_ = changes_ + 1;
        runJoins_ = false;
        runKind_ = 0;
        return false;
    }
    // A line end in the commit starts a line, as Return does, never a piece.
    edit(cursor, commit);
    edit_->setTextCursor(cursor);
    // The composition that goes on, if any, stays the widget's.
    QInputMethodEvent rest(input->preeditString(), input->attributes());
    QCoreApplication::sendEvent(edit_, &rest);
    // That lays the block out again, which is no change of the text.
    runChanges_ = changes_;
    edit_->ensureCursorVisible();
    return true;
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
        if (keyAtJoin(key))
            return true;
    }
    if (watched == edit_ && event->type() == QEvent::InputMethod
        && committedInPieces(static_cast<QInputMethodEvent*>(event)))
        return true;
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

QString TextArea::toDocumentText(const QString& widgetText, int firstBlock) const
{
    const auto from = std::upper_bound(joins_.begin(), joins_.end(), firstBlock);
    if (from == joins_.end() || widgetText.indexOf(QChar::ParagraphSeparator) < 0)
        return fromWidgetText(widgetText);
    // Line ends become CR LF, the separators in front of pieces nothing.
    auto join = from;
    const qsizetype separators = widgetText.count(QChar::ParagraphSeparator);
    QString out(widgetText.size() + separators, Qt::Uninitialized);
    QChar* to = out.data();
    int block = firstBlock;
    for (const QChar c : widgetText) {
        if (c != QChar::ParagraphSeparator) {
            *to++ = c;
            continue;
        }
        ++block;
        while (join != joins_.end() && *join < block)
            ++join;
        if (join != joins_.end() && *join == block)
            continue;
        *to++ = u'\r';
        *to++ = u'\n';
    }
    out.truncate(to - out.data());
    return out;
}

QString TextArea::text() const
{
    // toPlainText() would turn no-break spaces into spaces.
    return toDocumentText(edit_->document()->toRawText(), 0);
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

QString TextArea::widgetTextInPieces(const QString& text, std::vector<int>& joins) const
{
    // Most pages hold no line that needs cutting, and cost one look at each line.
    int block = 0;
    qsizetype start = 0;
    bool cut = false;
    for (qsizetype end = 0; end <= text.size(); ++end) {
        if (end < text.size() && !isBlockSeparator(text[end]))
            continue;
        if (end - start > longLine_) {
            cut = true;
            break;
        }
        start = end + 1;
    }
    if (!cut)
        return text;
    QString out;
    out.reserve(text.size() + text.size() / (pieceLength_ / 2) + 1);
    start = 0;
    for (qsizetype end = 0; end <= text.size(); ++end) {
        if (end < text.size() && !isBlockSeparator(text[end]))
            continue;
        const QStringView line = QStringView(text).mid(start, end - start);
        qsizetype from = 0;
        if (line.size() > longLine_)
            for (const qsizetype at : cutsOf(line, pieceLength_)) {
                out += line.mid(from, at - from);
                out += QChar::ParagraphSeparator;
                joins.push_back(++block);
                from = at;
            }
        out += line.mid(from);
        if (end < text.size()) {
            out += text[end];
            ++block;
        }
        start = end + 1;
    }
    return out;
}

void TextArea::load(QString text)
{
    std::vector<int> joins;
    const QString widgetText = widgetTextInPieces(toWidgetText(std::move(text)), joins);
    const int before = toJoined(edit_->document()->characterCount() - 1);
    indexing_ = false;
    joins_.clear();
    edit_->setPlainText(widgetText);
    if (!joins.empty()) {
        // Marks each line's pieces at once, without an undo step of its own.
        QTextDocument* doc = edit_->document();
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc);
        for (size_t i = 0; i < joins.size();) {
            size_t j = i;
            while (j + 1 < joins.size() && joins[j + 1] == joins[j] + 1)
                ++j;
            cursor.setPosition(doc->findBlockByNumber(joins[i]).position());
            cursor.setPosition(doc->findBlockByNumber(joins[j]).position(), QTextCursor::KeepAnchor);
            cursor.setBlockFormat(pieceFormat(cursor.blockFormat(), true));
            i = j + 1;
        }
        doc->setUndoRedoEnabled(true);
    }
    joins_ = std::move(joins);
    blockCount_ = edit_->document()->blockCount();
    indexing_ = true;
    const int after = toJoined(edit_->document()->characterCount() - 1);
    if (before > 0 || after > 0)
        Q_EMIT joinedChange(0, before, after);
}

int TextArea::toJoined(int widgetPosition) const
{
    if (joins_.empty())
        return widgetPosition;
    const QTextBlock block = edit_->document()->findBlock(widgetPosition);
    return widgetPosition - joinsThrough(block.isValid() ? block.blockNumber() : blockCount_ - 1);
}

int TextArea::fromJoined(int offset) const
{
    // The last piece that starts at or before the offset.
    const QTextDocument* doc = edit_->document();
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

bool TextArea::isEmpty() const
{
    return edit_->document()->isEmpty();
}

qsizetype TextArea::length() const
{
    const QTextDocument* doc = edit_->document();
    // characterCount() includes the final block separator, which is no line
    // end; a separator in front of a piece is no character at all.
    return qsizetype(doc->characterCount()) - 1 + (doc->blockCount() - 1) - 2 * qsizetype(joins_.size());
}

QString TextArea::selectedText() const
{
    const QTextCursor cursor = edit_->textCursor();
    return toDocumentText(cursor.selectedText(),
                          edit_->document()->findBlock(cursor.selectionStart()).blockNumber());
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
    const QTextBlock block = edit_->document()->findBlock(widgetPosition);
    // Each line end before the position is one character longer in the
    // document, each separator in front of a piece one shorter.
    const int number = block.isValid() ? block.blockNumber() : 0;
    return qsizetype(widgetPosition) + number - 2 * joinsThrough(number);
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
        if (qsizetype(doc->findBlockByNumber(mid).position()) + mid - 2 * joinsThrough(mid)
            <= documentPosition)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    const qsizetype offset = documentPosition - (qsizetype(block.position()) + low - 2 * joinsThrough(low));
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
    for (QTextBlock block = doc->begin(); block.isValid();) {
        // A line with its pieces joined: a needle may span a join.
        const QTextBlock first = block;
        QString line = block.text();
        for (block = block.next(); block.isValid() && continuesLine(block); block = block.next())
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
    // ends would have the layout redo the whole text in between.
    QTextCursor cursor(edit_->document());
    edit(cursor, before);
    cursor.movePosition(QTextCursor::End);
    edit(cursor, after, true);
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
