// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QObject>
#include <QString>

#include <QTextBlock>

#include <algorithm>
#include <vector>

class QInputMethodEvent;
class QKeyEvent;
class QPlainTextEdit;
class QTextCursor;

namespace mx {

// The document as the commands see it, over the text area that shows it.
//
// In the document every line ends in CR LF, which counts as two characters;
// the widget keeps one block separator per line end. Positions are converted
// through block numbers, so no call scans the whole text to find a position.
// Texts handed in may use CR LF, lone CR or lone LF; each is one line end.
// So are U+2029 and U+FDD0/U+FDD1, which the widget can keep only as block
// separators: they come back as CR LF.
//
// The widget lays out and shapes a whole block again at every edit, so a line
// of megabytes (a minified page) would cost seconds per key. A line longer
// than the piece length is therefore shown as pieces, each a block of its
// own whose format marks it as continuing the line before; the block
// separator in front of a piece is no character of the document. Every
// reading, position and search here goes by the document's text, pieces
// joined. Edits made here, by the keyboard or by a paste through TextEdit
// cut a piece that grows too long again within the same undo step.
class TextArea : public QObject {
    Q_OBJECT
public:
    explicit TextArea(QPlainTextEdit* widget, QObject* parent = nullptr);

    QPlainTextEdit* widget() const { return edit_; }

    // The whole document.
    QString text() const;
    // Replaces the whole document as one undo step; the caret goes to the top.
    void setText(const QString& text);
    // Replaces the whole document and forgets the undo history: for a fresh
    // document, where undoing back into the previous one would be a trap.
    void load(QString text);
    bool isEmpty() const;
    // Length of the document in its own terms (line ends count two).
    qsizetype length() const;

    QString selectedText() const;
    // Replaces the selection (or inserts at the caret) as one undo step; the
    // caret ends after the new text with nothing selected. changed() has been
    // emitted when this returns.
    void replaceSelection(const QString& text);

    qsizetype selectionStart() const;
    qsizetype selectionLength() const;
    // Moves the caret; nothing is selected afterwards. Clamped to the text.
    void setCaret(qsizetype position);
    // Selects length characters from start. Clamped to the text.
    void select(qsizetype start, qsizetype length);

    // First occurrence of needle (which holds no line end), exact and
    // case-sensitive, as a document position; -1 when absent.
    qsizetype indexOf(const QString& needle) const;
    // Inserts at a document position as one undo step, without moving through
    // the clipboard. The caret and selection stay on the characters they were
    // on; a caret standing at the position ends after the new text.
    void insertAt(qsizetype position, const QString& text);
    // Replaces length characters from start as one undo step, without
    // moving through the selection.
    void replaceAt(qsizetype start, qsizetype length, const QString& text);
    // Puts before at the start and after at the end, as one undo step; the
    // caret ends at the start of the text.
    void surround(const QString& before, const QString& after);

    void setFocus();
    // The busy pointer over the text, while a command makes the user wait.
    void setBusy(bool busy);
    bool isBusy() const { return busy_; }

    // Conversions between document positions and the widget's.
    qsizetype toDocument(int widgetPosition) const;
    int toWidget(qsizetype documentPosition) const;

    // Positions as a reader of the text counts them (the accessibility bus
    // does): the widget's, with the separators in front of pieces left out,
    // so that a line end counts one and a line in pieces reads as one. Where
    // one piece ends and the next starts is the start of the next; an
    // offset out of range stays out of range.
    int toJoined(int widgetPosition) const;
    int fromJoined(int offset) const;
    bool hasPieces() const { return !joins_.empty(); }

    // The text of the line's pieces around a widget position, whole pieces
    // as far as `room` characters each way: the blocks it spans, and the
    // position's offset in it.
    struct PiecesAround {
        QTextBlock first;
        QTextBlock last;
        QString text;
        int offset;
    };
    PiecesAround piecesAround(int position, int room) const;

    // Line ends as the widget keeps them.
    static QString toWidgetText(QString text);

    // Whether the block continues the line of the block before it.
    static bool continuesLine(const QTextBlock& block);
    // The characters a widget range holds in the document's terms but with
    // the widget's separators: only the separators in front of pieces are
    // left out.
    static QString withoutPieceJoins(const QTextCursor& range);

    // Lines up to kLongLine characters are single blocks; a longer one is
    // shown in pieces of at most kPieceLength, short enough that an edit
    // costs about what it costs in a line of 80. Tests set both smaller.
    static constexpr int kLongLine = 4096;
    static constexpr int kPieceLength = 128;
    void setPieceLength(int length) { pieceLength_ = longLine_ = length; }

Q_SIGNALS:
    // After every change of the text, from whatever source.
    void changed();
    // The same change in joined positions: at offset, removed characters
    // gave way to added ones. Not sent while a page loads; the load itself
    // is one change of the whole text.
    void joinedChange(int offset, int removed, int added);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextCursor cursorAt(qsizetype start, qsizetype length) const;
    void scrollToCaretLater();
    // Replaces the cursor's selection by text as one undo step (or as part
    // of the step before), in pieces where a line grows too long.
    void edit(QTextCursor& cursor, const QString& text, bool joinPrevious = false);
    // Cuts the blocks first..last that are longer than a piece; how many
    // blocks it added.
    int cutLongBlocks(QTextCursor& cursor, int first, int last);
    // Makes a line that is no longer long one block again, and joins a piece
    // that has become small to a neighbour; whether any block went.
    bool joinPieces(QTextCursor& cursor, int first, int last);
    // Removes the separator in front of the block that starts at `at`.
    static void joinAt(QTextCursor& cursor, int at);
    // Whether the block is a piece too small to stand alone, or in a line
    // short enough to be one block.
    bool needsJoin(const QTextBlock& block) const;
    // The blocks of the line around a block, as far as its length stays
    // within limit: a walk over a few blocks, however long the line.
    struct LineAround {
        QTextBlock start;
        QTextBlock end;
        int length;
    };
    static LineAround lineAround(const QTextBlock& block, int limit);
    int smallPiece() const { return std::max(1, pieceLength_ / 8); }
    // A typed character, a deletion or an input method's text that goes in
    // here rather than through the widget; whether it did.
    bool typedInPieces(QKeyEvent* key);
    bool deletedInPieces(QKeyEvent* key, int at, bool back);
    bool committedInPieces(QInputMethodEvent* input);
    // Where deleting a word from a widget position ends, the line's pieces
    // read as one: the widget's own word ends at each piece's edge.
    int wordEdge(int at, bool back) const;
    void showEdit(const QTextCursor& cursor);
    QString widgetTextInPieces(const QString& text, std::vector<int>& joins) const;
    bool keyAtJoin(QKeyEvent* key);
    void contentsChange(int position, int removed, int added);
    void contentsChanged();
    // Joins in front of the blocks up to and including this one.
    int joinsThrough(int block) const;
    QString toDocumentText(const QString& widgetText, int firstBlock) const;

    QPlainTextEdit* edit_;
    bool busy_ = false;
    bool scrollPending_ = false;
    int pieceLength_ = kPieceLength;
    int longLine_ = kLongLine;
    // The most a block may hold before it is cut: a piece, or a whole line.
    int mostIn(const QTextBlock& block) const;
    // Block numbers of the pieces that continue a line, in order: the
    // separators that the document does not hold.
    std::vector<int> joins_;
    int blockCount_ = 1;
    bool indexing_ = true;
    bool editing_ = false;
    // The blocks the last edit from outside touched, to cut if too long.
    int touchedFirst_ = -1;
    int touchedLast_ = -1;
    // Changes of the text so far, from whatever source.
    quint64 changes_ = 0;
    // The widget merges a typed character into the undo step before it when
    // that step ended by inserting text just before the caret. Where such a
    // step ended, and at which change; and whether its last action was
    // something else (a cut, a mark), so that the next character has to
    // join it explicitly.
    int runEnd_ = -1;
    quint64 runChanges_ = 0;
    bool runJoins_ = false;
    // What the run is: typing (0), deletions by Backspace (-1) or Delete
    // (1), which the widget merges alike, or a line end or a word deleted
    // (2), which no deletion after it joins.
    int runKind_ = 0;
    bool continuesRun(int at, int kind) const;
    // The widget merges a deletion into the one before only where both take
    // characters that went in together: typed in one run, or opened with
    // the page. Where the text last put in or typed in one run stands, in
    // the document's terms, kept up during deletions; and whether the last
    // deletion took one of its characters.
    qsizetype typedFrom_ = -1;
    qsizetype typedTo_ = -1;
    bool deletedTyped_ = false;
};

// While it lives, the text area shows the busy pointer; every way out of a
// command takes it down, failures included.
class BusyPointer {
public:
    explicit BusyPointer(TextArea& text) : text_(text) { text_.setBusy(true); }
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    // Takes it down early, before a message box goes up.
    void release()
    {
        if (on_)
            text_.setBusy(false);
        on_ = false;
    }

private:
    TextArea& text_;
    bool on_ = true;
};

} // namespace mx
