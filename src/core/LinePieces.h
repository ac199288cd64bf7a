// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QAccessible>
#include <QObject>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>

#include <functional>
#include <utility>
#include <vector>

class QKeyEvent;
class QPlainTextEdit;

namespace mx {

// What keeps a line of megabytes (a minified page) as quick to edit as a
// short one, and reading as one line.
//
// The widget lays out and shapes a whole block again at every edit, so a
// line longer than the long-line limit stands as pieces: blocks of about the
// piece length, each joined to the one before by a join, a block separator
// that is no character of the document. A join is a separator whose own
// character format says so. The widget's own edits never make one (its
// inserts clear that part of the format), undo and redo bring one back with
// its character, and no other edit turns a line end into a join or back:
// which blocks are pieces follows from the characters alone.
//
// One rule keeps the pieces: after every change, whatever made it, the blocks
// it touched are put right inside the change's own undo step. A block longer
// than it may be is cut; a piece too small, or a line short enough to be one
// block, is joined; no join falls inside a character (a letter and its
// marks, a surrogate pair). Undo and redo bring back states that already
// keep it. The widget's single typed characters and deletions merge into
// the undo step before them, where nothing could join them, so one that
// could need the pieces put right is made a step of its own first.
//
// Everything that reads or moves through the text goes by the line as one:
// positions, the text of a range, the words and sentences around a
// position (one rule for the keys, the clicks and the accessibility bus),
// and keys that move or delete across a join.
class LinePieces : public QObject {
    Q_OBJECT
public:
    // Belongs to the widget (its child); one for each widget.
    explicit LinePieces(QPlainTextEdit* widget);
    // The widget's, if it has one.
    static LinePieces* of(const QObject* widget);

    // Lines up to kLongLine characters are single blocks; a longer one is cut
    // in pieces of at most kPieceLength, short enough that an edit costs
    // about what it costs in a line of 80. A piece may grow to twice that
    // before it is cut again, so that typing is cut now and then, not at
    // every key. Tests set smaller limits.
    static constexpr int kLongLine = 4096;
    static constexpr int kPieceLength = 128;
    void setLimits(int longLine, int pieceLength);
    int mostInPiece() const { return 2 * pieceLength_; }

    // Whether the block continues the line of the block before it.
    bool continuesLine(const QTextBlock& block) const;
    // The block that holds a widget position; the last one past the end.
    QTextBlock documentBlock(int widgetPosition) const;
    bool hasPieces() const { return !joins_.empty(); }

    // Positions as a reader of the text counts them (the accessibility bus
    // does): the widget's, with joins left out, so that a line end counts
    // one and a line in pieces reads as one. The end of a piece and the
    // start of the next are one place, read as the start of the next.
    int toJoined(int widgetPosition) const;
    int fromJoined(int offset) const;
    // The same in the document's terms, where a line end is CR LF.
    qsizetype toDocument(int widgetPosition) const;
    int toWidget(qsizetype documentPosition) const;
    qsizetype documentLength() const;

    // The text between two widget positions, joins left out and each line
    // end as lineEnd.
    QString text(int from, int to, QStringView lineEnd) const;
    QString text(QStringView lineEnd) const;
    // What a plain widget puts on the clipboard for the selection (no-break
    // spaces as spaces, line ends as LF), the line read as one.
    QString plainText(const QTextCursor& selection) const;
    // Whether a range of the widget holds a join.
    bool holdsJoin(int from, int to) const;

    // Replaces the whole text (the widget's line ends) and forgets the undo
    // history.
    void load(const QString& widgetText);
    // Replaces the cursor's selection with text in the widget's line ends, as
    // one undo step (or as part of the one before); a line longer than the
    // limit goes in in pieces at once, never as one block to be laid out.
    void replace(QTextCursor& cursor, const QString& widgetText, bool joinPrevious = false);

    // The place where a word move, a word deletion or a double click ends,
    // the line read as one, as the widget's own would in a line of one block.
    int moved(int widgetPosition, QTextCursor::MoveOperation operation) const;
    std::pair<int, int> wordAt(int widgetPosition) const;
    // The bounds of the text of the given kind around a widget position, as
    // Qt's own text interface finds them in a line of one block.
    std::pair<int, int> boundaries(int widgetPosition, QAccessible::TextBoundaryType type) const;
    // What a rule of Qt's finds around a widget position (a cursor there
    // moved, or the bounds it gives), read in the line around it as in a
    // line of one block, back in widget positions.
    std::pair<int, int> readAround(int widgetPosition,
                                   const std::function<std::pair<int, int>(QTextCursor&)>& rule) const;
    // The widget positions where the line around a block starts and ends.
    std::pair<int, int> lineOf(const QTextBlock& block) const;

Q_SIGNALS:
    // After every change of the text, from whatever source; an input
    // method's composition, which is no text yet, is none.
    void changed();
    // A change in joined positions: at offset, removed characters gave way
    // to added ones. Not sent while a page loads; the load itself is one
    // change of the whole text. Putting the pieces right changes nothing.
    void joinedChange(int offset, int removed, int added);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextDocument* document() const;
    static bool isJoin(const QTextBlock& block);
    static bool isSeparator(QChar c);
    // The length of the line around a block, as far as it stays within limit.
    static int lineLength(const QTextBlock& block, int limit);
    static QTextCharFormat joinFormat(const QTextCursor& at);
    bool holdsLongLine(const QString& widgetText) const;
    int mostIn(const QTextBlock& block) const;
    int smallPiece() const { return std::max(1, pieceLength_ / 8); }
    int joinsThrough(int block) const;
    void contentsChange(int position, int removed, int added);
    void contentsChanged();
    // Puts the rule back on blocks first..last and their neighbours, inside
    // the step of the change that broke it.
    void repair(int first, int last);
    // The same inside a step still open, which it ends at `end` if it put
    // anything right; whether it did.
    bool keepInStep(const QTextCursor& end, int first, int last);
    // The same with a cursor to edit through; without one, only whether the
    // blocks break the rule.
    bool restore(QTextCursor* cursor, int first, int last);
    // Whether the join in front of a piece should go: a side empty, or too
    // small where the two fit in one, or a join inside a character.
    bool joinGoes(const QTextBlock& piece) const;
    // Ends an undo step at the cursor, so that redo leaves the caret there
    // and no typing joins the step.
    void endStep(QTextCursor& cursor);
    // Inserts text in pieces where a line of it is longer than the limit.
    // Inserts text in pieces where a line of it is longer than the limit;
    // whether it cut any.
    bool insertInPieces(QTextCursor& cursor, const QString& widgetText);
    // Keys: moved across a join to the side they go to, words read across
    // joins, and a character typed or deleted made a step of its own where
    // it could need a repair.
    bool keyAtJoin(QKeyEvent* key);
    bool mayNeedRepair(const QKeyEvent* key) const;
    void editInOwnStep(const QKeyEvent* key);
    bool clicked(QEvent* event);

    QPlainTextEdit* edit_;
    QObject* viewport_;
    int longLine_ = kLongLine;
    int pieceLength_ = kPieceLength;
    // Block numbers of the pieces that continue a line, in order; read back
    // from the blocks after every change.
    std::vector<int> joins_;
    int blockCount_ = 1;
    bool loading_ = false;
    bool repairing_ = false;
    bool forwarding_ = false;
    bool composing_ = false;
    // The blocks that changes since the last repair touched.
    int touchedFirst_ = -1;
    int touchedLast_ = -1;
    // The redo stack's depth after the last change, which tells undo and
    // redo from other changes.
    int redoSteps_ = 0;
    // A double click, which a press soon after on the same place makes a
    // triple click.
    qint64 doubleClickAt_ = -1;
    QPoint doubleClickPoint_;
};

} // namespace mx
