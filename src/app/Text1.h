#pragma once
#include <QObject>
#include <QString>

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
class Text1 : public QObject {
    Q_OBJECT
public:
    explicit Text1(QPlainTextEdit* widget, QObject* parent = nullptr);

    QPlainTextEdit* widget() const { return edit_; }

    // The whole document.
    QString Text() const;
    // Replaces the whole document as one undo step.
    void SetText(const QString& text);
    // Replaces the whole document and forgets the undo history: for a fresh
    // document, where undoing back into the previous one would be a trap.
    void Load(QString text);
    bool IsEmpty() const;
    // Length of the document in its own terms (line ends count two).
    qsizetype Length() const;

    QString SelText() const;
    // Replaces the selection (or inserts at the caret) as one undo step; the
    // caret ends after the new text with nothing selected. Change() has been
    // emitted when this returns.
    void SetSelText(const QString& text);

    qsizetype SelStart() const;
    // Moves the caret; nothing is selected afterwards. Clamped to the text.
    void SetSelStart(qsizetype start);
    qsizetype SelLength() const;
    // Selects from SelStart onwards. Clamped to the text.
    void SetSelLength(qsizetype length);

    // First occurrence of needle (which holds no line end), exact and
    // case-sensitive, as a position counted from 1; 0 when absent.
    qsizetype Find(const QString& needle) const;
    // Inserts at a document position as one undo step, without moving through
    // the clipboard. The caret and selection stay on the characters they were
    // on; a caret standing at the position ends after the new text.
    void InsertAt(qsizetype position, const QString& text);
    // Puts before at the start and after at the end, as one undo step; the
    // caret ends at the start of the text.
    void Surround(const QString& before, const QString& after);

    void SetFocus();
    // 0 default, 11 busy.
    void SetMousePointer(int pointer);
    int MousePointer() const { return pointer_; }

    // Conversions between document positions and the widget's.
    qsizetype toDocument(int widgetPosition) const;
    int toWidget(qsizetype documentPosition) const;

    // Line ends as the widget keeps them.
    static QString toWidgetText(QString text);

Q_SIGNALS:
    // After every change of the text, from whatever source.
    void Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextCursor cursorAt(qsizetype start, qsizetype length) const;
    void scrollToCaretLater();

    QPlainTextEdit* edit_;
    int pointer_ = 0;
    bool scrollPending_ = false;
};

} // namespace mx
