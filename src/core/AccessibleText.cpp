// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AccessibleText.h"

#include "LinePieces.h"
#include "TextArea.h"
#include "TextEdit.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

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
        const LinePieces* pieces = this->pieces();
        return pieces ? pieces->toJoined(position) : position;
    }
    int toPosition(int offset) const
    {
        const LinePieces* pieces = this->pieces();
        return pieces ? pieces->fromJoined(offset) : offset;
    }

private:
    QPlainTextEdit* edit() const { return static_cast<QPlainTextEdit*>(widget()); }
    QTextDocument* document() const { return edit()->document(); }
    LinePieces* pieces() const { return LinePieces::of(object()); }
    // The boundaries around an offset, with the cursor moved there (it stays
    // where it was if the offset is out of range, as in Qt's interface).
    std::pair<int, int> boundaries(QTextCursor& cursor, int offset, QAccessible::TextBoundaryType type) const;
    // A character's box in the viewport, or an empty one.
    QRect characterBox(int position) const;
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
    const LinePieces* pieces = this->pieces();
    if (!pieces)
        return edit()->toPlainText();
    // As toPlainText() reads it, the line read as one.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    return pieces->plainText(all);
}

void AccessibleTextEdit::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    if (edit()->isReadOnly())
        return;
    if (LinePieces* pieces = this->pieces())
        pieces->load(TextArea::toWidgetText(text));
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
    const int from = toPosition(startOffset);
    const int to = toPosition(endOffset);
    if (const LinePieces* pieces = this->pieces())
        return pieces->text(from, to, u"\n");
    QTextCursor range(document());
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    return range.selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

std::pair<int, int> AccessibleTextEdit::boundaries(QTextCursor& cursor, int offset,
                                                   QAccessible::TextBoundaryType type) const
{
    const int position = toPosition(offset);
    if (position >= 0 && position < document()->characterCount())
        cursor.setPosition(position);
    if (const LinePieces* pieces = this->pieces()) {
        const auto [start, end] = pieces->boundaries(cursor.position(), type);
        return {toOffset(start), toOffset(end)};
    }
    return QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
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

QRect AccessibleTextEdit::characterBox(int position) const
{
    if (position < 0 || position >= document()->characterCount() - 1)
        return QRect();
    QTextCursor at(document());
    at.setPosition(position);
    // The row the widget shows the character on, as wide as the character
    // in its own font; a line end has the font of what it ends.
    const QRect caret = edit()->cursorRect(at);
    at.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    QTextCursor format(at);
    format.setPosition(at.selectionEnd());
    const QString character = at.selectedText();
    const QFontMetrics metrics(format.charFormat().font());
    const int width = character == QChar::ParagraphSeparator ? 0 : metrics.horizontalAdvance(character);
    return QRect(caret.left(), caret.top(), std::max(width, 1), caret.height());
}

QRect AccessibleTextEdit::characterRect(int offset) const
{
    const QRect box = characterBox(toPosition(offset));
    return box.isNull() ? box : box.translated(edit()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int AccessibleTextEdit::offsetAtPoint(const QPoint& point) const
{
    const QPoint at = edit()->viewport()->mapFromGlobal(point);
    const QTextCursor nearest = edit()->cursorForPosition(at);
    // The nearest caret place is on one side of the character under the point.
    for (const int position : {nearest.position() - 1, nearest.position()}) {
        if (position >= nearest.block().position() && characterBox(position).contains(at))
            return toOffset(position);
    }
    return -1;
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
    replaceText(offset, offset, text);
}

void AccessibleTextEdit::replaceText(int startOffset, int endOffset, const QString& text)
{
    QTextCursor cursor(document());
    cursor.setPosition(toPosition(startOffset));
    cursor.setPosition(toPosition(endOffset), QTextCursor::KeepAnchor);
    if (LinePieces* pieces = this->pieces()) {
        pieces->replace(cursor, TextArea::toWidgetText(text));
        return;
    }
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertText(text);
    cursor.endEditBlock();
}

// Qt's own word on changed text was held back (above): this is it, in the
// bus's offsets. What went is not known any more, only how much, as in Qt's.
void announce(QPlainTextEdit* edit, const LinePieces& pieces, int offset, int removed, int added)
{
    if (!QAccessible::isActive())
        return;
    // A line end reads as it does in the text: Qt would tell its separator.
    const QString inserted = pieces.text(pieces.fromJoined(offset), pieces.fromJoined(offset + added), u"\n");
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

void exposeToAccessibility(QPlainTextEdit* widget)
{
    static const bool installed = [] {
        QAccessible::installFactory(&textEditInterface);
        previousHandler = QAccessible::installUpdateHandler(&handleUpdate);
        return true;
    }();
    Q_UNUSED(installed);
    const LinePieces* pieces = LinePieces::of(widget);
    QObject::connect(pieces, &LinePieces::joinedChange, widget,
                     [widget, pieces](int offset, int removed, int added) {
                         announce(widget, *pieces, offset, removed, added);
                     });
}

} // namespace mx
