// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TextEdit.h"

#include "LinePieces.h"

#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// Whether the data offers plain text, and the text it offers. The data may
// be the clipboard's, which Qt drops when its owner changes, and Qt waits for
// the owner inside these calls; so the data is looked at only while it is
// still there. One look at the formats costs one wait on an owner that never
// answers, where hasText() and then text() would cost two each.
bool offersText(const QMimeData* source)
{
    const QPointer<const QMimeData> alive(source);
    if (!source)
        return false;
    const QStringList formats = source->formats();
    // A file dropped from a file manager may come as its address alone,
    // which Qt gives as text.
    return alive && std::any_of(formats.begin(), formats.end(), [](const QString& format) {
               return format.startsWith(u"text/plain"_s) || format == u"text/uri-list"_s;
           });
}

QString offeredText(const QMimeData* source)
{
    const QPointer<const QMimeData> alive(source);
    if (!offersText(source) || !alive)
        return QString();
    const QString text = source->text();
    return alive ? text : QString();
}

} // namespace

bool TextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return offersText(source);
}

void TextEdit::insertFromMimeData(const QMimeData* source)
{
    const QString text = offeredText(source);
    if (text.isEmpty())
        return;
    // As the widget inserts plain text itself: one undo step, the caret after it.
    if (inserter_)
        inserter_(text);
    else
        insertPlainText(text);
    ensureCursorVisible();
}

QMimeData* TextEdit::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    const LinePieces* pieces = LinePieces::of(this);
    if (!pieces || !pieces->holdsJoin(selection.selectionStart(), selection.selectionEnd()))
        return QPlainTextEdit::createMimeDataFromSelection();
    // Plain text only: rich text would hold each piece as a paragraph.
    auto* plain = new QMimeData;
    plain->setText(pieces->plainText(selection));
    return plain;
}

void TextEdit::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    QTextBlock block = firstVisibleBlock();
    const LinePieces* pieces = LinePieces::of(this);
    if (!block.isValid() || !pieces || !pieces->hasPieces())
        return;
    // A piece that goes on in the next row ends in a wrap arrow, and the row
    // that goes on begins with a bar in the margin, both in the highlight
    // colour: one line, shown in rows, seen at a glance.
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor mark = palette().color(QPalette::Highlight);
    QPen pen(mark, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    const QPointF offset = contentOffset();
    const qreal margin = document()->documentMargin();
    const int bottom = event->rect().bottom();
    for (; block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > bottom)
            break;
        if (!block.isVisible())
            continue;
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            continue;
        if (pieces->continuesLine(block)) {
            const QTextLine first = layout->lineAt(0);
            painter.fillRect(
                QRectF(box.left(), box.top() + first.y(), std::max(2.0, margin - 1), first.height()), mark);
        }
        if (pieces->continuesLine(block.next())) {
            // Down from the end of the text, then back to the left.
            const QTextLine line = layout->lineAt(layout->lineCount() - 1);
            const qreal h = line.height();
            const QPointF at =
                box.topLeft() + layout->position() + QPointF(line.naturalTextWidth() + h * 0.25, line.y());
            const qreal w = h * 0.6;
            QPainterPath arrow;
            arrow.moveTo(at + QPointF(0, h * 0.3));
            arrow.lineTo(at + QPointF(w, h * 0.3));
            arrow.lineTo(at + QPointF(w, h * 0.7));
            arrow.lineTo(at + QPointF(w * 0.15, h * 0.7));
            arrow.moveTo(at + QPointF(w * 0.4, h * 0.5));
            arrow.lineTo(at + QPointF(w * 0.15, h * 0.7));
            arrow.lineTo(at + QPointF(w * 0.4, h * 0.9));
            painter.drawPath(arrow);
        }
    }
}

} // namespace mx
