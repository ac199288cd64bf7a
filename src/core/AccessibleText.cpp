// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AccessibleText.h"

#include "TextArea.h"
#include "TextEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// The text area over each widget, for the edits that come over the bus.
QHash<const QObject*, QPointer<TextArea>>& textAreas()
{
    static QHash<const QObject*, QPointer<TextArea>> areas;
    return areas;
}

// Qt's own interface for a plain text widget is private to Qt (its symbols
// are not even exported), so this one stands in its place: the same role,
// states, names and readings, over the text with the piece joins left out.
class AccessibleTextEdit final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
public:
    explicit AccessibleTextEdit(QPlainTextEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) { }

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return edit()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override { return toOffset(edit()->textCursor().position()); }
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override { return toOffset(document()->characterCount() - 1); }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    // Qt's plain text interface scrolls nowhere either.
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

    // Between the widget's positions and the offsets of the bus.
    int toOffset(int position) const
    {
        const TextArea* area = textArea();
        return area ? area->toJoined(position) : position;
    }
    int toPosition(int offset) const
    {
        const TextArea* area = textArea();
        return area ? area->fromJoined(offset) : offset;
    }

private:
    QPlainTextEdit* edit() const { return static_cast<QPlainTextEdit*>(widget()); }
    QTextDocument* document() const { return edit()->document(); }
    TextArea* textArea() const { return textAreas().value(object()).data(); }
    bool hasPieces() const
    {
        const TextArea* area = textArea();
        return area && area->hasPieces();
    }
    QPoint scrollPosition() const;
    // The boundaries around an offset, with the cursor moved there (it stays
    // where it was if the offset is out of range, as in Qt's interface).
    std::pair<int, int> boundaries(QTextCursor& cursor, int offset, QAccessible::TextBoundaryType type) const;
    // The sentence around an offset in a line in pieces, which joins cut.
    std::optional<std::pair<int, int>> sentenceInPieces(int position) const;
};

// Hands an event on to the bridge, past the handler below.
QAccessible::UpdateHandler previousHandler = nullptr;
void handleUpdate(QAccessibleEvent* event);

void passOn(QAccessibleEvent* event)
{
    if (previousHandler) {
        previousHandler(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&handleUpdate);
}

// Qt tells the bus about a TextEdit in the widget's positions: the caret and
// the selection are counted again here, and its word on changed text gives
// way to the interface's own, sent once the pieces are known.
void handleUpdate(QAccessibleEvent* event)
{
    auto* text = qobject_cast<TextEdit*>(event->object())
                     ? dynamic_cast<AccessibleTextEdit*>(event->accessibleInterface())
                     : nullptr;
    if (text) {
        switch (event->type()) {
        case QAccessible::TextInserted:
        case QAccessible::TextRemoved:
        case QAccessible::TextUpdated: return;
        case QAccessible::TextSelectionChanged: {
            auto* selection = static_cast<QAccessibleTextSelectionEvent*>(event);
            selection->setSelection(text->toOffset(selection->selectionStart()),
                                    text->toOffset(selection->selectionEnd()));
            selection->setCursorPosition(text->toOffset(selection->cursorPosition()));
            break;
        }
        case QAccessible::TextCaretMoved: {
            auto* caret = static_cast<QAccessibleTextCursorEvent*>(event);
            caret->setCursorPosition(text->toOffset(caret->cursorPosition()));
            break;
        }
        default: break;
        }
    }
    passOn(event);
}

QAccessibleInterface* textEditInterface(const QString& className, QObject* object)
{
    if (className == QLatin1StringView(TextEdit::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleTextEdit(static_cast<QPlainTextEdit*>(object));
    return nullptr;
}

QAccessible::State AccessibleTextEdit::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.selectableText = true;
    state.multiLine = true;
    if (edit()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    return state;
}

QString AccessibleTextEdit::text(QAccessible::Text t) const
{
    if (t != QAccessible::Value)
        return QAccessibleWidget::text(t);
    if (!hasPieces())
        return edit()->toPlainText();
    // As toPlainText() reads it, without the joins.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    QString text = TextArea::withoutPieceJoins(all);
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
        else if (c == QChar::Nbsp)
            c = u' ';
    }
    return text;
}

void AccessibleTextEdit::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    if (edit()->isReadOnly())
        return;
    if (TextArea* area = textArea())
        area->load(text);
    else
        edit()->setPlainText(text);
}

void* AccessibleTextEdit::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void AccessibleTextEdit::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = edit()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection())
        return;
    *startOffset = toOffset(cursor.selectionStart());
    *endOffset = toOffset(cursor.selectionEnd());
}

void AccessibleTextEdit::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = edit()->textCursor();
    cursor.clearSelection();
    edit()->setTextCursor(cursor);
}

void AccessibleTextEdit::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(toPosition(startOffset));
    cursor.setPosition(toPosition(endOffset), QTextCursor::KeepAnchor);
    edit()->setTextCursor(cursor);
}

void AccessibleTextEdit::setCursorPosition(int position)
{
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(toPosition(position));
    edit()->setTextCursor(cursor);
}

QString AccessibleTextEdit::text(int startOffset, int endOffset) const
{
    QTextCursor range = edit()->textCursor();
    range.setPosition(toPosition(startOffset));
    range.setPosition(toPosition(endOffset), QTextCursor::KeepAnchor);
    return TextArea::withoutPieceJoins(range).replace(QChar::ParagraphSeparator, u'\n');
}

std::pair<int, int> AccessibleTextEdit::boundaries(QTextCursor& cursor, int offset,
                                                   QAccessible::TextBoundaryType type) const
{
    const QTextDocument* doc = document();
    const int position = toPosition(offset);
    // Where one piece ends and the next starts with a space, Qt would find
    // the word that ends there, which is in the piece before.
    const bool wordAtJoin =
        type == QAccessible::WordBoundary && position > 0 && TextArea::continuesLine(doc->findBlock(position))
        && doc->findBlock(position).position() == position && doc->characterAt(position).isSpace();
    cursor.setPosition(wordAtJoin ? position - 1 : position);
    auto [start, end] = QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
    if (type == QAccessible::ParagraphBoundary && hasPieces()) {
        // A line in pieces is one paragraph.
        QTextBlock first = doc->findBlock(start);
        while (TextArea::continuesLine(first))
            first = first.previous();
        QTextBlock last = doc->findBlock(end);
        while (TextArea::continuesLine(last.next()))
            last = last.next();
        start = first.position();
        end = last.position() + last.length() - 1;
    } else if (type == QAccessible::WordBoundary && hasPieces()) {
        // So is a word that a join cuts in two.
        // Two characters are of one word when both are letters or digits, or
        // both marks that are no space.
        const auto kind = [doc](int position) {
            const QChar c = doc->characterAt(position);
            return c.isLetterOrNumber() ? 1 : c.isSpace() || c.isNull() ? 0 : 2;
        };
        const auto oneWord = [&](int a, int b) { return kind(a) != 0 && kind(a) == kind(b); };
        QTextCursor word(cursor);
        for (QTextBlock b = doc->findBlock(start);
             TextArea::continuesLine(b) && start == b.position() && start >= 2 && oneWord(start, start - 2);
             b = doc->findBlock(start)) {
            word.setPosition(start - 1);
            word.movePosition(QTextCursor::StartOfWord);
            start = word.position();
        }
        for (QTextBlock b = doc->findBlock(end);
             TextArea::continuesLine(b.next()) && end == b.position() + b.length() - 1 && end > 0
             && oneWord(end - 1, end + 1);
             b = doc->findBlock(end)) {
            word.setPosition(end + 1);
            word.movePosition(QTextCursor::EndOfWord);
            end = word.position();
        }
    }
    if (type == QAccessible::SentenceBoundary && hasPieces())
        return sentenceInPieces(position).value_or(std::pair{toOffset(start), toOffset(end)});
    return {toOffset(start), toOffset(end)};
}

std::optional<std::pair<int, int>> AccessibleTextEdit::sentenceInPieces(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    if (!TextArea::continuesLine(block) && !TextArea::continuesLine(block.next()))
        return std::nullopt;
    // Qt looks for a sentence in the block's text; here it is the line's,
    // as far as a few thousand characters each way, which no sentence of a
    // page outgrows.
    const TextArea::PiecesAround around = textArea()->piecesAround(position, 4096);
    const QString& line = around.text;
    const int at = around.offset;
    const int base = toOffset(position) - at;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, line);
    finder.setPosition(at);
    int start = at;
    if (!(finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
        start = finder.toPreviousBoundary();
    finder.setPosition(at);
    int end = finder.toNextBoundary();
    return std::pair{base + std::max(start, 0), base + (end < 0 ? int(line.size()) : end)};
}

QString AccessibleTextEdit::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const
{
    QTextCursor cursor = edit()->textCursor();
    std::tie(*startOffset, *endOffset) = boundaries(cursor, offset, boundaryType);
    return text(*startOffset, *endOffset);
}

QString AccessibleTextEdit::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const
{
    QTextCursor cursor = edit()->textCursor();
    const int start = boundaries(cursor, offset, boundaryType).first;
    std::tie(*startOffset, *endOffset) = boundaries(cursor, start - 1, boundaryType);
    return text(*startOffset, *endOffset);
}

QString AccessibleTextEdit::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const
{
    QTextCursor cursor = edit()->textCursor();
    const int end = boundaries(cursor, offset, boundaryType).second;
    std::tie(*startOffset, *endOffset) = boundaries(cursor, end, boundaryType);
    return text(*startOffset, *endOffset);
}

QPoint AccessibleTextEdit::scrollPosition() const
{
    const QScrollBar* across = edit()->horizontalScrollBar();
    const QScrollBar* down = edit()->verticalScrollBar();
    return QPoint(across ? across->sliderPosition() : 0, down ? down->sliderPosition() : 0);
}

QRect AccessibleTextEdit::characterRect(int offset) const
{
    const int position = toPosition(offset);
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return QRect();
    const QTextLayout* layout = block.layout();
    const int inBlock = position - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return QRect();
    // The character's own format; a line end has the one before it.
    QTextCharFormat format = block.charFormat();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        format = it.fragment().charFormat();
        if (it.fragment().contains(position))
            break;
    }
    const QFontMetrics metrics(format.font());
    const QString character = text(offset, offset + 1);
    QRect rect;
    if (!character.isEmpty()) {
        const QPointF at = layout->position();
        rect = QRect(int(at.x() + line.cursorToX(inBlock)),
                     int(at.y() + line.y() + line.ascent() + metrics.descent() - metrics.height()),
                     metrics.horizontalAdvance(character), metrics.height());
        rect.moveTo(edit()->viewport()->mapToGlobal(rect.topLeft()));
    }
    return rect.translated(-scrollPosition());
}

int AccessibleTextEdit::offsetAtPoint(const QPoint& point) const
{
    const QPoint at = edit()->viewport()->mapFromGlobal(point) + scrollPosition();
    const int position = document()->documentLayout()->hitTest(at, Qt::ExactHit);
    return position < 0 ? position : toOffset(position);
}

QString AccessibleTextEdit::attributes(int offset, int* startOffset, int* endOffset) const
{
    // -2 is the caret and -1 the end; the end reads as the last character.
    if (offset == -2)
        offset = cursorPosition();
    const int count = characterCount();
    if (offset == -1 || offset == count)
        offset = count - 1;
    if (offset < 0 || offset > count) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    const int position = toPosition(offset);
    const QTextBlock block = document()->findBlock(position);
    const int blockEnd = block.position() + block.length();
    QTextCharFormat format = block.charFormat();
    int start = block.position();
    int end = blockEnd;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(position)) {
            format = fragment.charFormat();
            start = std::max(fragment.position(), block.position());
            end = std::min(fragment.position() + fragment.length(), blockEnd);
            break;
        }
        start = fragment.position() + fragment.length();
    }
    *startOffset = toOffset(start);
    *endOffset = toOffset(end);

    const QFont font = format.font();
    QString out;
    const auto add = [&out](const char* key, const QString& value) {
        out += QLatin1StringView(key) + u':' + value + u';';
    };
    QString family = font.families().value(0);
    if (!family.isEmpty()) {
        for (const QChar special : {u'\\', u':', u',', u'=', u';', u'"'})
            family.replace(special, u'\\' + QString(special));
        add("font-family", u'"' + family + u'"');
    }
    if (const int size = int(font.pointSize()))
        add("font-size", QString::number(size) + u"pt"_s);
    add("font-weight", font.weight() > QFont::Normal ? u"bold"_s : u"normal"_s);
    add("font-style", font.style() == QFont::StyleItalic    ? u"italic"_s
                      : font.style() == QFont::StyleOblique ? u"oblique"_s
                                                            : u"normal"_s);
    QTextCharFormat::UnderlineStyle underline = format.underlineStyle();
    if (underline == QTextCharFormat::NoUnderline && font.underline())
        underline = QTextCharFormat::SingleUnderline;
    static const QHash<int, QString> underlines = {
        {QTextCharFormat::SingleUnderline, u"solid"_s},
        {QTextCharFormat::DashUnderline, u"dash"_s},
        {QTextCharFormat::DotLine, u"dash"_s},
        {QTextCharFormat::DashDotLine, u"dot-dash"_s},
        {QTextCharFormat::DashDotDotLine, u"dot-dot-dash"_s},
        {QTextCharFormat::WaveUnderline, u"wave"_s},
        {QTextCharFormat::SpellCheckUnderline, u"wave"_s},
    };
    if (underlines.contains(underline)) {
        add("text-underline-style", underlines.value(underline));
        add("text-underline-type", u"single"_s);
    }
    if (block.textDirection() == Qt::RightToLeft)
        add("writing-mode", u"rl"_s);
    const QTextCharFormat::VerticalAlignment vertical = format.verticalAlignment();
    add("text-position", vertical == QTextCharFormat::AlignSubScript     ? u"sub"_s
                         : vertical == QTextCharFormat::AlignSuperScript ? u"super"_s
                                                                         : u"baseline"_s);
    const auto rgb = [](const QColor& c) {
        return u"rgb(%1,%2,%3)"_s.arg(c.red()).arg(c.green()).arg(c.blue());
    };
    if (format.background().style() == Qt::SolidPattern)
        add("background-color", rgb(format.background().color()));
    if (format.foreground().style() == Qt::SolidPattern)
        add("color", rgb(format.foreground().color()));
    switch (block.blockFormat().alignment()
            & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify)) {
    case Qt::AlignLeft: add("text-align", u"left"_s); break;
    case Qt::AlignRight: add("text-align", u"right"_s); break;
    case Qt::AlignHCenter: add("text-align", u"center"_s); break;
    case Qt::AlignJustify: add("text-align", u"justify"_s); break;
    default: break;
    }
    return out;
}

void AccessibleTextEdit::insertText(int offset, const QString& text)
{
    if (TextArea* area = textArea()) {
        area->insertAt(area->toDocument(toPosition(offset)), text);
        return;
    }
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(toPosition(offset));
    cursor.insertText(text);
}

void AccessibleTextEdit::replaceText(int startOffset, int endOffset, const QString& text)
{
    if (TextArea* area = textArea()) {
        const qsizetype start = area->toDocument(toPosition(std::min(startOffset, endOffset)));
        const qsizetype end = area->toDocument(toPosition(std::max(startOffset, endOffset)));
        area->replaceAt(start, end - start, text);
        return;
    }
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(toPosition(startOffset));
    cursor.setPosition(toPosition(endOffset), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.insertText(text);
}

// Qt's own word on changed text was held back (above): this is it, in the
// bus's offsets. What went is not known any more, only how much, as in Qt's.
void announce(TextArea& area, int offset, int removed, int added)
{
    if (!QAccessible::isActive())
        return;
    QPlainTextEdit* edit = area.widget();
    QTextCursor range(edit->document());
    range.setPosition(area.fromJoined(offset));
    range.setPosition(area.fromJoined(offset + added), QTextCursor::KeepAnchor);
    // A line end reads as it does in the text: Qt would tell its separator.
    const QString inserted = TextArea::withoutPieceJoins(range).replace(QChar::ParagraphSeparator, u'\n');
    const QString gone(removed, u' ');
    if (removed == 0) {
        QAccessibleTextInsertEvent event(edit, offset, inserted);
        passOn(&event);
    } else if (added == 0) {
        QAccessibleTextRemoveEvent event(edit, offset, gone);
        passOn(&event);
    } else {
        QAccessibleTextUpdateEvent event(edit, offset, gone, inserted);
        passOn(&event);
    }
}

} // namespace

void exposeToAccessibility(TextArea& text)
{
    static const bool installed = [] {
        QAccessible::installFactory(&textEditInterface);
        previousHandler = QAccessible::installUpdateHandler(&handleUpdate);
        return true;
    }();
    Q_UNUSED(installed);
    QPlainTextEdit* widget = text.widget();
    textAreas().insert(widget, &text);
    QObject::connect(&text, &TextArea::joinedChange, &text,
                     [&text](int offset, int removed, int added) { announce(text, offset, removed, added); });
    QObject::connect(widget, &QObject::destroyed, [widget] { textAreas().remove(widget); });
}

} // namespace mx
