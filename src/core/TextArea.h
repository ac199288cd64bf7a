// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QObject>
#include <QString>

class QPlainTextEdit;
class QTextCursor;

namespace mx {

class LinePieces;

// The document as the commands see it, over the text area that shows it.
//
// In the document every line ends in CR LF, which counts as two characters;
// the widget keeps one block separator per line end. Positions are converted
// through block numbers, so no call scans the whole text to find a position.
// Texts handed in may use CR LF, lone CR or lone LF; each is one line end.
// So are U+2029 and U+FDD0/U+FDD1, which the widget can keep only as block
// separators: they come back as CR LF. A line too long to edit quickly in
// one block stands in pieces (LinePieces), which no reading here shows.
class TextArea : public QObject {
    Q_OBJECT
public:
    explicit TextArea(QPlainTextEdit* widget, QObject* parent = nullptr);

    QPlainTextEdit* widget() const { return edit_; }
    LinePieces& pieces() const { return *pieces_; }

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

    // Line ends as the widget keeps them.
    static QString toWidgetText(QString text);

Q_SIGNALS:
    // After every change of the text, from whatever source.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextCursor cursorAt(qsizetype start, qsizetype length) const;
    void scrollToCaretLater();
    // Replaces the cursor's selection by text as one undo step (or as part
    // of the step before).
    void edit(QTextCursor& cursor, const QString& text, bool joinPrevious = false);

    QPlainTextEdit* edit_;
    LinePieces* pieces_;
    bool busy_ = false;
    bool scrollPending_ = false;
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
