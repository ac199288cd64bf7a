// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Random edits, keys, undo and redo on the text area, with lines cut into
// pieces of a few characters, checked step by step against a plain
// QPlainTextEdit given the same steps, read in the document's CR LF terms.
//
// The plain widget is the model: what a key does there is what the text
// area must do. A model of our own that sees only the text cannot know
// everything the widget does: Backspace takes both halves of a surrogate
// pair only when they were stored together, say. So the fuzzer splits pairs
// freely and compares with the widget instead.
//
// Input: a sequence of operations, each an opcode byte and its arguments.
// Texts are a length byte and that many characters from a small alphabet that
// holds every kind of line end the widget knows, pairs, marks and
// the characters the widget treats specially. Numbers are one byte: small
// positions, or the edges (negative, past the end, the largest values).
#include "core/LinePieces.h"
#include "core/TextArea.h"
#include "core/TextEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// Characters beyond the BMP come whole, never as a lone half, and no
// position picked falls between the halves of one. Qt's Backspace
// takes both halves of a pair only where they were stored together, and a
// line in pieces is stored otherwise than the plain widget's: a pair put
// together from halves typed apart would compare storage, not behaviour.
// Everything else is compared with a plain QPlainTextEdit given the same steps.
constexpr const char16_t* kAlphabet[] = {
    u"a",      u"b",      u" ",      u"\t",     u"\r",     u"\n", u"あ", u"\u00A0", u"\u2028", u"\u2029",
    u"\uFDD0", u"\uFDD1", u"😀",     u"𠮷",      u"\u0301", u"<",  u">",  u".",      u"\u200D", u"\uFFFC",
};
static_assert(std::size(kAlphabet) == 20);

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) { }
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    QString text()
    {
        const int length = byte() % 24;
        QString out;
        for (int i = 0; i < length; ++i)
            out += QString::fromUtf16(kAlphabet[byte() % std::size(kAlphabet)]);
        return out;
    }

    // A position or length: mostly small, sometimes at or past the edges.
    qsizetype number(qsizetype length)
    {
        const uint8_t b = byte();
        switch (b) {
        case 255: return std::numeric_limits<qsizetype>::max();
        case 254: return std::numeric_limits<qsizetype>::min();
        case 253: return -1;
        case 252: return length;
        case 251: return length + 1;
        case 250: return length - 1;
        case 249: return std::numeric_limits<int>::max();
        case 248: return qsizetype(std::numeric_limits<int>::max()) + 1;
        default: return b;
        }
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

QByteArray shown(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" <>");
}

[[noreturn]] void fail(const char* what, const QString& expected, const QString& actual)
{
    std::fprintf(stderr, "mismatch in %s\n  expected: %s\n  actual:   %s\n", what,
                 shown(expected).constData(), shown(actual).constData());
    std::abort();
}

void expectEqual(const char* what, qsizetype expected, qsizetype actual)
{
    if (expected != actual)
        fail(what, QString::number(expected), QString::number(actual));
}

void expectEqual(const char* what, const QString& expected, const QString& actual)
{
    if (expected != actual)
        fail(what, expected, actual);
}

// FUZZ_TRACE=1 in the environment prints each step of a reproduced input.
const bool kTrace = qEnvironmentVariableIsSet("FUZZ_TRACE");
const bool kTraceState = qEnvironmentVariableIntValue("FUZZ_TRACE") > 1;

void trace(const char* step, const QString& text = {}, qsizetype n = 0)
{
    if (kTrace)
        std::fprintf(stderr, "%s(%lld, \"%s\")\n", step, static_cast<long long>(n), shown(text).constData());
}

// The plain widget read as a document: its separators are CR LF.
struct Plain {
    QPlainTextEdit edit;

    QString text() const
    {
        return edit.document()->toRawText().replace(QChar::ParagraphSeparator, u"\r\n"_s);
    }
    // Document positions and the widget's: a line end is two and one.
    qsizetype toDocument(int position) const
    {
        return position + edit.document()->findBlock(position).blockNumber();
    }
    // Clamped to the text; between CR and LF is the end of the line.
    int toWidget(qsizetype position) const
    {
        const QString t = text();
        position = std::clamp<qsizetype>(position, 0, t.size());
        if (position > 0 && position < t.size() && t[position - 1] == u'\r' && t[position] == u'\n')
            --position;
        return int(position - t.left(position).count(u"\r\n"_s));
    }
    // Where the text area selects length characters from start.
    QTextCursor cursorAt(qsizetype start, qsizetype length) const
    {
        QTextCursor cursor(edit.document());
        cursor.setPosition(toWidget(start));
        const qsizetype begin = toDocument(cursor.position());
        if (length > 0)
            cursor.setPosition(toWidget(begin + std::min(length, text().size() - begin)),
                               QTextCursor::KeepAnchor);
        return cursor;
    }
    // An edit as the text area makes one: the selection out and the text in,
    // one undo step.
    void replace(QTextCursor& cursor, const QString& text, bool joinPrevious = false)
    {
        joinPrevious ? cursor.joinPreviousEditBlock() : cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.insertText(mx::TextArea::toWidgetText(text));
        cursor.endEditBlock();
    }
};

// Every block within what it may hold, or one character (a letter with a
// run of marks) that no cut may split; a line in pieces longer than a line
// may be and with no empty piece; the first block starts a line; and every
// widget position maps to the document and back.
void checkPieces(const mx::TextArea& text, const mx::LinePieces& pieces, int longLine)
{
    const QTextDocument* doc = text.widget()->document();
    expectEqual("first block starts a line", 0, pieces.continuesLine(doc->begin()));
    for (QTextBlock b = doc->begin(); b.isValid();) {
        int length = 0;
        int blocks = 0;
        bool empty = false;
        do {
            QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, b.text());
            expectEqual("block within its length", 1,
                        b.length() - 1 <= std::max(longLine, pieces.mostInPiece())
                            || characters.toNextBoundary() == b.length() - 1);
            length += b.length() - 1;
            empty = empty || b.length() == 1;
            ++blocks;
            b = b.next();
        } while (b.isValid() && pieces.continuesLine(b));
        expectEqual("pieces only in a long line, none empty", 1,
                    blocks == 1 || (length > longLine && !empty));
    }
    const int widgetLength = doc->characterCount() - 1;
    const QString document = text.text();
    for (int w = 0; w <= widgetLength; ++w) {
        const qsizetype d = text.toDocument(w);
        const bool join = w < widgetLength && pieces.continuesLine(doc->findBlock(w + 1))
                          && doc->findBlock(w + 1).position() == w + 1;
        if (!join)
            expectEqual("toWidget(toDocument(w))", w, text.toWidget(d));
        if (w < widgetLength && !join)
            expectEqual("character at toDocument(w)",
                        doc->characterAt(w) == QChar::ParagraphSeparator ? u"\r\n"_s
                                                                         : QString(doc->characterAt(w)),
                        document.mid(d, doc->characterAt(w) == QChar::ParagraphSeparator ? 2 : 1));
    }
}

void checkSame(const mx::TextArea& text, const Plain& plain)
{
    const QString expected = plain.text();
    expectEqual("Text", expected, text.text());
    expectEqual("Length", expected.size(), text.length());
    expectEqual("IsEmpty", expected.isEmpty(), text.isEmpty());
    const QTextCursor reference = plain.edit.textCursor();
    const QTextCursor actual = text.widget()->textCursor();
    expectEqual("selectionStart", plain.toDocument(reference.selectionStart()), text.selectionStart());
    expectEqual("selectionEnd", plain.toDocument(reference.selectionEnd()),
                text.selectionStart() + text.selectionLength());
    expectEqual("caret", plain.toDocument(reference.position()), text.toDocument(actual.position()));
    expectEqual("SelText", expected.mid(plain.toDocument(reference.selectionStart()), text.selectionLength()),
                text.selectedText());
}

// A position the fuzzer picks, moved off the middle of a pair.
qsizetype offPair(const QString& text, qsizetype at)
{
    return at > 0 && at < text.size() && text[at - 1].isHighSurrogate() && text[at].isLowSurrogate() ? at - 1 : at;
}

// A key, sent alike to both: text for the keys that type.
void press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers held = {}, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, held, text);
    QCoreApplication::sendEvent(widget, &event);
}

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers held;
    const char16_t* text;
};
constexpr Key kKeys[] = {
    {Qt::Key_Backspace, {}, u"\b"},
    {Qt::Key_Delete, {}, u"\x7f"},
    {Qt::Key_Return, {}, u"\r"},
    {Qt::Key_Tab, {}, u"\t"},
    {Qt::Key_Left, {}, u""},
    {Qt::Key_Right, {}, u""},
    {Qt::Key_Left, Qt::ShiftModifier, u""},
    {Qt::Key_Right, Qt::ShiftModifier, u""},
    {Qt::Key_Left, Qt::ControlModifier, u""},
    {Qt::Key_Right, Qt::ControlModifier, u""},
    {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, u""},
    {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, u""},
    {Qt::Key_Backspace, Qt::ControlModifier, u""},
    {Qt::Key_Delete, Qt::ControlModifier, u""},
    {Qt::Key_A, Qt::ControlModifier, u"\x01"},
    {Qt::Key_X, Qt::ControlModifier, u"\x18"},
    {Qt::Key_C, Qt::ControlModifier, u"\x03"},
    {Qt::Key_V, Qt::ControlModifier, u"\x16"},
};

} // namespace

// Qt keeps fontconfig's answers for fonts it falls back to and never frees
// them; that is not ours to find.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Each run makes and frees two whole widgets; with the default quarantine of
// freed memory a long run outgrows libFuzzer's memory limit without a leak.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=32";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the keyboard that key events come from registers
    // after it, and would be gone before the application's teardown.
    static QApplication* app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    // Every run starts from the same clipboard, or one input could paste
    // what the one before left.
    QApplication::clipboard()->setText(u"<i>\u00A0x"_s);
    mx::TextEdit edit;
    mx::TextArea text(&edit);
    mx::LinePieces& pieces = text.pieces();
    // Lines of more than eight characters stand in pieces of four, so that
    // nearly every step crosses joins, cuts or joins pieces.
    constexpr int kLongLine = 8;
    pieces.setLimits(kLongLine, 4);
    Plain plain;
    int changes = 0;
    QObject::connect(&text, &mx::TextArea::changed, [&changes] { ++changes; });
    // The text as the accessibility bus reads it, kept from the changes the
    // pieces report alone; a line end is one character.
    QString heard;
    QObject::connect(&pieces, &mx::LinePieces::joinedChange, [&](int offset, int removed, int added) {
        if (offset < 0 || removed < 0 || added < 0 || offset + removed > heard.size())
            fail("joinedChange in range", heard, QString::number(offset) + u' ' + QString::number(removed));
        heard.replace(offset, removed,
                      pieces.text(pieces.fromJoined(offset), pieces.fromJoined(offset + added), u"\u2029"));
    });

    for (int step = 0; step < 64 && !in.done(); ++step) {
        const QString before = text.text();
        const int changesBefore = changes;
        switch (in.byte() % 12) {
        case 0: {
            const QString t = in.text();
            trace("setText", t);
            text.setText(t);
            QTextCursor all(plain.edit.document());
            all.select(QTextCursor::Document);
            plain.replace(all, t);
            plain.edit.moveCursor(QTextCursor::Start);
            break;
        }
        case 1: {
            const QString t = in.text();
            trace("load", t);
            text.load(t);
            plain.edit.setPlainText(mx::TextArea::toWidgetText(t));
            break;
        }
        case 2: {
            const qsizetype start = offPair(text.text(), in.number(text.length()));
            qsizetype n = in.number(text.length());
            if (start >= 0 && start <= text.length() && n > 0 && n < text.length()
                && offPair(text.text(), start + n) != start + n)
                --n;
            trace("select", {}, n);
            text.select(start, n);
            plain.edit.setTextCursor(plain.cursorAt(start, n));
            break;
        }
        case 3: {
            const QString t = in.text();
            trace("replaceSelection", t);
            QTextCursor cursor = plain.edit.textCursor();
            text.replaceSelection(t);
            plain.replace(cursor, t);
            plain.edit.setTextCursor(cursor);
            break;
        }
        case 4: {
            const qsizetype n = offPair(text.text(), in.number(text.length()));
            const QString t = in.text();
            trace("insertAt", t, n);
            text.insertAt(n, t);
            QTextCursor cursor = plain.cursorAt(n, 0);
            plain.replace(cursor, t);
            // The selection keeps to its characters: the text area's rule.
            plain.edit.setTextCursor(plain.cursorAt(text.selectionStart(), text.selectionLength()));
            if (text.widget()->textCursor().anchor() > text.widget()->textCursor().position()) {
                QTextCursor turned = plain.edit.textCursor();
                const int anchor = turned.anchor();
                turned.setPosition(turned.position());
                turned.setPosition(anchor, QTextCursor::KeepAnchor);
                plain.edit.setTextCursor(turned);
            }
            break;
        }
        case 5: {
            const QString b = in.text();
            const QString a = in.text();
            trace("surround", b + u"|"_s + a);
            text.surround(b, a);
            QTextCursor cursor(plain.edit.document());
            plain.replace(cursor, b);
            cursor.movePosition(QTextCursor::End);
            plain.replace(cursor, a, !b.isEmpty());
            plain.edit.moveCursor(QTextCursor::Start);
            break;
        }
        case 6: {
            QString needle = in.text();
            for (const QChar lineEnd : {u'\r', u'\n', u'\u2029', u'\uFDD0', u'\uFDD1'})
                needle.remove(lineEnd);
            trace("indexOf", needle);
            expectEqual("indexOf", needle.isEmpty() ? -1 : plain.text().indexOf(needle),
                        text.indexOf(needle));
            break;
        }
        case 7: checkPieces(text, pieces, kLongLine); break;
        case 8: {
            // A character typed as a key: one of the alphabet.
            const QString typed = QString::fromUtf16(kAlphabet[in.byte() % std::size(kAlphabet)]);
            trace("type", typed);
            press(&edit, Qt::Key_unknown, {}, typed);
            press(&plain.edit, Qt::Key_unknown, {}, typed);
            break;
        }
        case 9: {
            const Key& key = kKeys[in.byte() % std::size(kKeys)];
            trace("key", QKeySequence(key.key | key.held).toString(), 0);
            // The clipboard is shared: each widget starts from the same one,
            // and what each puts there must agree.
            const QString clip = QApplication::clipboard()->text();
            press(&edit, key.key, key.held, QString::fromUtf16(key.text));
            const QString ours = QApplication::clipboard()->text();
            QApplication::clipboard()->setText(clip);
            const QTextCursor caret = plain.edit.textCursor();
            if (key.key == Qt::Key_Return && !caret.hasSelection() && caret.block().length() == 1) {
                // On an empty line, a line end as one undo step: the text
                // area's way, where the widget sets formats first as a step
                // of its own that changes nothing to see.
                QTextCursor cursor = caret;
                cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
                plain.edit.setTextCursor(cursor);
            } else if (key.key == Qt::Key_V) {
                // A paste takes plain text, as one edit: the text area's way.
                QTextCursor cursor = plain.edit.textCursor();
                plain.replace(cursor, clip);
                plain.edit.setTextCursor(cursor);
            } else {
                QTextDocument* doc = plain.edit.document();
                const int items = doc->availableUndoSteps();
                const int at = caret.position();
                const bool selected = caret.hasSelection();
                press(&plain.edit, key.key, key.held, QString::fromUtf16(key.text));
                if (key.key == Qt::Key_Delete && !key.held && !selected && doc->availableUndoSteps() > items + 1) {
                    // One character of text stored apart, a letter typed
                    // before marks that were there: the widget takes each
                    // part as an undo step of its own, the later first, and
                    // Ctrl+Z shows a text that never was. The text area's
                    // Delete is one step, as the user made it.
                    while (doc->availableUndoSteps() > items)
                        plain.edit.undo();
                    QTextCursor step(doc);
                    step.setPosition(at);
                    plain.edit.setTextCursor(step);
                    step.beginEditBlock();
                    press(&plain.edit, key.key, key.held, QString::fromUtf16(key.text));
                    step.endEditBlock();
                }
            }
            expectEqual("clipboard", QApplication::clipboard()->text(), ours);
            break;
        }
        case 10: {
            const QString t = in.text();
            trace("commit", t);
            QInputMethodEvent commit;
            commit.setCommitString(t);
            QCoreApplication::sendEvent(&edit, &commit);
            QCoreApplication::sendEvent(&plain.edit, &commit);
            break;
        }
        case 11: {
            // Undo and redo pass through every text the plain widget's do,
            // and each step changes the text: finer steps, never coarser,
            // none unseen.
            const bool undo = in.byte() % 2;
            trace(undo ? "undo" : "redo");
            QTextDocument* doc = edit.document();
            if (undo ? !plain.edit.document()->isUndoAvailable() : !plain.edit.document()->isRedoAvailable())
                break;
            const QString was = plain.text();
            undo ? plain.edit.undo() : plain.edit.redo();
            const QString target = plain.text();
            // A step that changed nothing, such as a text put in place of
            // itself, is one on both.
            if (target == was && (undo ? doc->isUndoAvailable() : doc->isRedoAvailable()))
                undo ? edit.undo() : edit.redo();
            int steps = 0;
            for (; text.text() != target; ++steps) {
                if (undo ? !doc->isUndoAvailable() : !doc->isRedoAvailable())
                    fail(undo ? "undo passes through the plain widget's text" : "redo does", target,
                         text.text());
                const QString was = text.text();
                undo ? edit.undo() : edit.redo();
                if (text.text() == was)
                    fail(undo ? "every undo changes the text" : "every redo does", was, text.text());
            }
            // Where the widget merged edits into one step (a Delete and a
            // Backspace at one place), the caret goes to the end of all it
            // brings back; finer steps each leave it at the end of their own.
            if (steps > 1) {
                const QTextCursor ours = edit.textCursor();
                QTextCursor caret(plain.edit.document());
                caret.setPosition(plain.toWidget(text.toDocument(ours.anchor())));
                caret.setPosition(plain.toWidget(text.toDocument(ours.position())), QTextCursor::KeepAnchor);
                plain.edit.setTextCursor(caret);
            }
            break;
        }
        }
        if (text.text() != before && changes == changesBefore)
            fail("Change after an edit", text.text(), before);
        if (kTraceState) {
            // FUZZ_TRACE=2: both texts and carets after each step, and the pieces.
            std::fprintf(stderr, "  ours  %s caret %lld\n  plain %s caret %lld\n", shown(text.text()).constData(),
                         static_cast<long long>(text.toDocument(edit.textCursor().position())),
                         shown(plain.text()).constData(),
                         static_cast<long long>(plain.toDocument(plain.edit.textCursor().position())));
            for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next())
                std::fprintf(stderr, "    [%s]\n", shown(b.text()).constData());
        }
        checkSame(text, plain);
        expectEqual("text told by joinedChange", QString(text.text()).replace(u"\r\n"_s, u"\u2029"_s), heard);
    }
    checkPieces(text, pieces, kLongLine);
    QCoreApplication::processEvents();
    return 0;
}
