// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Random edits and selections on the text area adapter, checked step by step
// against the document as a plain string with CR LF line ends.
//
// Input: a sequence of operations, each an opcode byte and its arguments.
// Texts are a length byte and that many characters from a small alphabet that
// holds every kind of line end the widget knows, surrogate halves and the
// characters the widget treats specially. Numbers are one byte: small
// positions, or the edges (negative, past the end, the largest values).
#include "core/TextArea.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
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

constexpr char16_t kAlphabet[] = {
    u'a',      u'b',      u' ',      u'\t',     u'\r',     u'\n',     u'あ',     u'\u00A0',
    u'\u2028', u'\u2029', u'\uFDD0', u'\uFDD1', u'\xD83D', u'\xDE00', u'\uFFFC', u'<',
};
static_assert(std::size(kAlphabet) == 16);

bool isLineEnd(QChar c)
{
    // What the widget turns into a block separator, besides CR and LF.
    return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == u'\uFDD0' || c == u'\uFDD1';
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) { }
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    QString text(bool lineEnds = true)
    {
        const int length = byte() % 24;
        QString out;
        for (int i = 0; i < length; ++i) {
            const QChar c(kAlphabet[byte() % std::size(kAlphabet)]);
            if (lineEnds || !isLineEnd(c))
                out += c;
        }
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

// The document as a string: what the adapter must agree with.
struct Model {
    QString text;
    qsizetype start = 0;
    qsizetype length = 0;

    static QString normalized(const QString& in)
    {
        QString out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            if (in[i] == u'\r' && i + 1 < in.size() && in[i + 1] == u'\n')
                continue; // the LF makes the line end
            out += isLineEnd(in[i]) ? u"\r\n"_s : QString(in[i]);
        }
        return out;
    }

    // A position as the adapter keeps it: inside the text, never between CR and LF.
    qsizetype snap(qsizetype p) const
    {
        p = std::clamp<qsizetype>(p, 0, text.size());
        if (p > 0 && p < text.size() && text[p - 1] == u'\r' && text[p] == u'\n')
            --p;
        return p;
    }

    void replace(qsizetype from, qsizetype count, const QString& with)
    {
        text.replace(from, count, normalized(with));
    }
};

QByteArray shown(const QString& text);

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

QByteArray shown(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" <");
}

void trace(const char* step, const QString& text = {}, qsizetype n = 0)
{
    if (kTrace)
        std::fprintf(stderr, "%s(%lld, \"%s\")\n", step, static_cast<long long>(n), shown(text).constData());
}

void checkState(const mx::TextArea& text, const Model& model)
{
    // Every block fits its length; a line in pieces is longer than a piece
    // and holds no empty one; the first block starts a line.
    expectEqual("first block", 0, mx::TextArea::continuesLine(text.widget()->document()->begin()));
    for (QTextBlock b = text.widget()->document()->begin(); b.isValid();) {
        int length = 0;
        int blocks = 0;
        bool empty = false;
        do {
            expectEqual("block within its length", 1, b.length() - 1 <= 5);
            length += b.length() - 1;
            empty = empty || b.length() == 1;
            ++blocks;
            b = b.next();
        } while (b.isValid() && mx::TextArea::continuesLine(b));
        expectEqual("pieces only in a long line", 1, blocks == 1 || (length > 5 && !empty));
    }
    expectEqual("Text", model.text, text.text());
    expectEqual("Length", model.text.size(), text.length());
    expectEqual("IsEmpty", model.text.isEmpty(), text.isEmpty());
    expectEqual("selectionStart", model.start, text.selectionStart());
    expectEqual("selectionLength", model.length, text.selectionLength());
    expectEqual("SelText", model.text.mid(model.start, model.length), text.selectedText());
}

// Every widget position maps to a document position and back unchanged (the
// end of a piece comes back as the start of the next, the same place); every
// document position maps to the widget and back to itself, or to the end of
// its line when it stood between CR and LF.
void checkMapping(const mx::TextArea& text, const Model& model)
{
    const QTextDocument* doc = text.widget()->document();
    const int widgetLength = doc->characterCount() - 1;
    for (int w = 0; w <= widgetLength; ++w) {
        const qsizetype d = text.toDocument(w);
        const bool join = w < widgetLength && doc->characterAt(w) == QChar::ParagraphSeparator
                          && mx::TextArea::continuesLine(doc->findBlock(w).next());
        if (join)
            expectEqual("toDocument(toWidget(toDocument(w)))", d, text.toDocument(text.toWidget(d)));
        else
            expectEqual("toWidget(toDocument(w))", w, text.toWidget(d));
        const bool lineEnd = !join && w < widgetLength && doc->characterAt(w) == QChar::ParagraphSeparator;
        if (lineEnd)
            expectEqual("line end at toDocument(w)", u"\r\n"_s, model.text.mid(d, 2));
        else if (w < widgetLength && !join)
            expectEqual("character at toDocument(w)", QString(doc->characterAt(w)), model.text.mid(d, 1));
    }
    for (qsizetype d = -1; d <= model.text.size() + 1; ++d)
        expectEqual("toDocument(toWidget(d))", model.snap(d), text.toDocument(text.toWidget(d)));
}

} // namespace

// Qt keeps fontconfig's answers for fonts it falls back to and never frees
// them; that is not ours to find.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Each run makes and frees a whole widget; with the default quarantine of
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
    QPlainTextEdit edit;
    mx::TextArea text(&edit);
    // Lines of more than five characters stand in pieces, so that every
    // step crosses piece joins.
    text.setPieceLength(5);
    int changes = 0;
    QObject::connect(&text, &mx::TextArea::changed, [&changes] { ++changes; });
    // The text as the accessibility bus reads it, kept from the changes the
    // text area reports alone; a line end is one character.
    QString heard;
    QObject::connect(&text, &mx::TextArea::joinedChange, [&](int offset, int removed, int added) {
        if (offset < 0 || removed < 0 || added < 0 || offset + removed > heard.size())
            fail("joinedChange in range", heard, QString::number(offset) + u' ' + QString::number(removed));
        QTextCursor range(edit.document());
        range.setPosition(text.fromJoined(offset));
        range.setPosition(text.fromJoined(offset + added), QTextCursor::KeepAnchor);
        heard.replace(offset, removed, mx::TextArea::withoutPieceJoins(range));
    });
    Model model;

    for (int step = 0; step < 64 && !in.done(); ++step) {
        const QString before = model.text;
        const int changesBefore = changes;
        switch (in.byte() % 13) {
        case 0: {
            const QString t = in.text();
            trace("setText", t);
            text.setText(t);
            model.text = Model::normalized(t);
            model.start = model.length = 0;
            break;
        }
        case 1: {
            const QString t = in.text();
            trace("load", t);
            text.load(t);
            model.text = Model::normalized(t);
            model.start = model.length = 0;
            break;
        }
        case 2: {
            const qsizetype n = in.number(model.text.size());
            trace("setCaret", {}, n);
            text.setCaret(n);
            model.start = model.snap(n);
            model.length = 0;
            break;
        }
        case 3: {
            const qsizetype n = in.number(model.text.size());
            trace("select", {}, n);
            text.select(text.selectionStart(), n);
            const qsizetype end =
                n <= 0 ? model.start
                       : model.snap(n > model.text.size() ? model.text.size() : model.start + n);
            model.length = end - model.start;
            break;
        }
        case 4: {
            const QString t = in.text();
            trace("replaceSelection", t);
            text.replaceSelection(t);
            model.replace(model.start, model.length, t);
            model.start += Model::normalized(t).size();
            model.length = 0;
            break;
        }
        case 5: {
            const qsizetype n = in.number(model.text.size());
            const QString t = in.text();
            trace("insertAt", t, n);
            text.insertAt(n, t);
            const qsizetype at = model.snap(n);
            const qsizetype added = Model::normalized(t).size();
            model.replace(at, 0, t);
            // The selection keeps to its characters; a caret at the
            // position ends after the new text.
            const qsizetype end = model.start + model.length;
            if (model.length == 0) {
                if (model.start >= at)
                    model.start += added;
            } else {
                const qsizetype newEnd = end > at ? end + added : end;
                if (model.start >= at)
                    model.start += added;
                model.length = newEnd - model.start;
            }
            break;
        }
        case 6: {
            const QString b = in.text();
            const QString a = in.text();
            trace("surround", b + u"|"_s + a);
            text.surround(b, a);
            model.text = Model::normalized(b) + model.text + Model::normalized(a);
            model.start = model.length = 0;
            break;
        }
        case 7: {
            const QString needle = in.text(false);
            trace("indexOf", needle);
            const qsizetype expected = needle.isEmpty() ? -1 : model.text.indexOf(needle);
            expectEqual("indexOf", expected, text.indexOf(needle));
            break;
        }
        case 8: checkMapping(text, model); break;
        case 9:
            // Lets the deferred scrolling to the caret run.
            QCoreApplication::processEvents();
            break;
        case 10: {
            trace("type x");
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, u"x"_s);
            QCoreApplication::sendEvent(&edit, &press);
            model.replace(model.start, model.length, u"x"_s);
            ++model.start;
            model.length = 0;
            break;
        }
        case 11: {
            // Backspace takes a line end or a surrogate pair whole, Delete
            // a line end, a pair or one character.
            const bool back = in.byte() % 2;
            trace(back ? "backspace" : "delete");
            QKeyEvent press(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_Delete, Qt::NoModifier);
            QCoreApplication::sendEvent(&edit, &press);
            const QString& t = model.text;
            const qsizetype at = model.start;
            if (model.length == 0 && back && at > 0)
                model.start = at > 1
                                      && ((t[at - 2] == u'\r' && t[at - 1] == u'\n')
                                          || (t[at - 2].isHighSurrogate() && t[at - 1].isLowSurrogate()))
                                  ? at - 2
                                  : at - 1;
            else if (model.length == 0 && !back && at < t.size())
                model.length = at + 1 < t.size()
                                       && ((t[at] == u'\r' && t[at + 1] == u'\n')
                                           || (t[at].isHighSurrogate() && t[at + 1].isLowSurrogate()))
                                   ? 2
                                   : 1;
            model.replace(model.start, model.length + (at - model.start), QString());
            model.length = 0;
            break;
        }
        case 12: {
            // Undo and redo bring the text back as it was.
            trace("undo, redo");
            edit.undo();
            edit.redo();
            text.setCaret(0);
            model.start = model.length = 0;
            break;
        }
        }
        if (model.text != before && changes == changesBefore)
            fail("Change after an edit", model.text, before);
        checkState(text, model);
        expectEqual("text told by joinedChange", QString(model.text).replace(u"\r\n"_s, u"\u2029"_s), heard);
    }
    checkMapping(text, model);
    QCoreApplication::processEvents();
    return 0;
}
