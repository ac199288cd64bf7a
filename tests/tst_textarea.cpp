// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The text area adapter: the document's CR LF terms over the widget's blocks.
#include "core/LinePieces.h"
#include "core/TextArea.h"
#include "core/TextEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHash>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using mx::TextArea;

class TestTextArea : public QObject {
    Q_OBJECT

    QPlainTextEdit edit;
    TextArea text{&edit};
    // The same document with every line longer than three characters in
    // pieces: it must read, select and search exactly as the one above.
    mx::TextEdit pieced;
    TextArea piecedText{&pieced};

    // What the accessibility bus reads of the pieced one: a line end is one
    // "\n", a join nothing.
    QAccessibleTextInterface* bus()
    {
        return QAccessible::queryAccessibleInterface(&pieced)->textInterface();
    }
    static QString onBus(QString text) { return text.replace(u"\r\n"_s, u"\n"_s); }
    static int onBus(const QString& doc, int at) { return at - int(doc.left(at).count(u"\r\n"_s)); }

    // Plays a script of keys. A character types itself but for: '-'
    // Backspace, '+' Delete, '~' and '`' Ctrl+Backspace and Ctrl+Delete,
    // '&' Ctrl+Z, '|' Return, ',' and '.' the
    // caret left and right, '_' one more character selected to the left,
    // '{..}' an input method's commit, '^' a paste, '@N' the caret to N and
    // '$N' the selection dragged and dropped at N. Then the text after each
    // undo to the start, and after each redo back. The texts after each
    // Ctrl+Z go to `undone`; given `undoneTo`, each Ctrl+Z goes on to its
    // text, so that a history of finer steps carries on from the same place.
    // `pieced` tells whether a line stood in pieces on the way.
    static QStringList played(QPlainTextEdit* widget, TextArea* area, const QString& doc,
                              const QString& script, QStringList* undone = nullptr,
                              const QStringList& undoneTo = {}, bool* pieced = nullptr)
    {
        area->load(doc);
        QApplication::clipboard()->setText(u"<i>"_s);
        for (qsizetype i = 0; i < script.size(); ++i) {
            const QChar c = script[i];
            qsizetype end = i + 1;
            while ((c == u'@' || c == u'$') && end < script.size() && script[end].isDigit())
                ++end;
            const int n = script.mid(i + 1, end - i - 1).toInt();
            if (c == u'@') {
                area->setCaret(n);
            } else if (c == u'$') {
                // As the widget drops a move: the selection out and the text
                // in as one edit block.
                QTextCursor drop = widget->textCursor();
                drop.setPosition(area->toWidget(n));
                const QString moved = area->selectedText();
                drop.beginEditBlock();
                widget->textCursor().removeSelectedText();
                widget->setTextCursor(drop);
                QApplication::clipboard()->setText(moved);
                widget->paste();
                drop.endEditBlock();
            } else if (c == u'{') {
                end = script.indexOf(u'}', i) + 1;
                QInputMethodEvent input;
                input.setCommitString(script.mid(i + 1, end - i - 2));
                QCoreApplication::sendEvent(widget, &input);
            } else {
                static const QHash<QChar, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
                    {u'-', {Qt::Key_Backspace, {}}},
                    {u'+', {Qt::Key_Delete, {}}},
                    {u'~', {Qt::Key_Backspace, Qt::ControlModifier}},
                    {u'|', {Qt::Key_Return, {}}},
                    {u',', {Qt::Key_Left, {}}},
                    {u'.', {Qt::Key_Right, {}}},
                    {u'_', {Qt::Key_Left, Qt::ShiftModifier}},
                    {u'^', {Qt::Key_V, Qt::ControlModifier}},
                    {u'&', {Qt::Key_Z, Qt::ControlModifier}},
                    {u'`', {Qt::Key_Delete, Qt::ControlModifier}},
                };
                if (const auto key = keys.find(c); key != keys.end()) {
                    QTest::keyClick(widget, key->first, key->second);
                } else {
                    // A key event carries any text, where QTest::keyClicks
                    // takes Latin-1 only; a surrogate pair types as one.
                    end += c.isHighSurrogate();
                    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, {}, script.mid(i, end - i));
                    QCoreApplication::sendEvent(widget, &typed);
                }
                if (area->pieces().hasPieces() && pieced)
                    *pieced = true;
                if (c == u'&' && undone) {
                    const QString to = undoneTo.value(undone->size(), area->text());
                    while (area->text() != to && widget->document()->isUndoAvailable())
                        widget->undo();
                    *undone += area->text();
                }
            }
            i = end - 1;
        }
        QStringList texts = {area->text()};
        for (int step = 0; step < 200 && widget->document()->isUndoAvailable(); ++step) {
            widget->undo();
            texts += area->text();
        }
        for (int step = 0; step < 200 && widget->document()->isRedoAvailable(); ++step) {
            widget->redo();
            texts += area->text();
        }
        return texts;
    }

    // Whether undo and redo went through every text of the reference, in
    // its order, each step changing the text: steps may be finer, never
    // coarser, and none is invisible.
    static bool passesThrough(const QStringList& texts, const QStringList& reference)
    {
        for (qsizetype i = 1; i < texts.size(); ++i)
            if (texts[i] == texts[i - 1])
                return false;
        qsizetype matched = 0;
        for (const QString& text : texts)
            if (matched < reference.size() && text == reference[matched])
                ++matched;
        return matched == reference.size() && texts.front() == reference.front()
               && texts.back() == reference.back();
    }

public:
    TestTextArea() { piecedText.pieces().setLimits(3, 3); }

private Q_SLOTS:
    void textRoundTrips_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("crlf") << u"a\r\nb\r\n"_s << u"a\r\nb\r\n"_s;
        QTest::newRow("lone lf is a line end") << u"a\nb"_s << u"a\r\nb"_s;
        QTest::newRow("lone cr is a line end") << u"a\rb"_s << u"a\r\nb"_s;
        QTest::newRow("blank lines") << u"\r\n\r\n"_s << u"\r\n\r\n"_s;
        QTest::newRow("no-break space kept") << u"a\u00A0b"_s << u"a\u00A0b"_s;
        QTest::newRow("japanese") << u"日本語\r\nテキスト"_s << u"日本語\r\nテキスト"_s;
        QTest::newRow("tab") << u"\tx"_s << u"\tx"_s;
        QTest::newRow("every kind, ending in cr")
            << u"a\r\nb\rc\nd\r\r\n\r"_s << u"a\r\nb\r\nc\r\nd\r\n\r\n\r\n"_s;
        QTest::newRow("cr lf after lone cr") << u"\r\r\n\n"_s << u"\r\n\r\n\r\n"_s;
        QTest::newRow("long lines") << u"<A><B>cdefgh\r\nijklm\r\n"_s << u"<A><B>cdefgh\r\nijklm\r\n"_s;
        QTest::newRow("surrogate pairs in a long line") << u"a😀😀😀b"_s << u"a😀😀😀b"_s;
    }
    void textRoundTrips()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        text.setText(in);
        QCOMPARE(text.text(), out);
        QCOMPARE(text.length(), out.size());
        text.load(in);
        QCOMPARE(text.text(), out);
        piecedText.setText(in);
        QCOMPARE(piecedText.text(), out);
        QCOMPARE(piecedText.length(), out.size());
        QCOMPARE(bus()->text(0, bus()->characterCount()), onBus(out));
        piecedText.load(in);
        QCOMPARE(piecedText.text(), out);
        QCOMPARE(piecedText.length(), out.size());
        QCOMPARE(bus()->text(0, bus()->characterCount()), onBus(out));
        QCOMPARE(bus()->characterCount(), onBus(out).size());
    }

    // Selections are set and read back in document terms.
    void selection_data()
    {
        QTest::addColumn<QString>("doc");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("selected");
        const QString doc = u"ab\r\ncd\r\n\r\nef"_s;
        QTest::newRow("caret at start") << doc << 0 << 0 << u""_s;
        QTest::newRow("caret at end") << doc << 12 << 0 << u""_s;
        QTest::newRow("within line 2") << doc << 4 << 2 << u"cd"_s;
        QTest::newRow("across one line end") << doc << 1 << 4 << u"b\r\nc"_s;
        QTest::newRow("line end alone") << doc << 2 << 2 << u"\r\n"_s;
        QTest::newRow("across blank line") << doc << 4 << 8 << u"cd\r\n\r\nef"_s;
        QTest::newRow("whole") << doc << 0 << 12 << doc;
        QTest::newRow("across pieces") << u"abcdefgh\r\nij"_s << 2 << 9 << u"cdefgh\r\ni"_s;
        QTest::newRow("after last line end") << u"ab\r\n"_s << 4 << 0 << u""_s;
        QTest::newRow("caret at a join") << u"<A><B>cdef"_s << 3 << 0 << u""_s;
        QTest::newRow("across three joins") << u"<A><B>cdef\r\nx"_s << 1 << 9 << u"A><B>cdef"_s;
    }
    void selection()
    {
        QFETCH(QString, doc);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, selected);
        text.setText(doc);
        text.select(start, length);
        QCOMPARE(text.selectionStart(), start);
        QCOMPARE(text.selectionLength(), length);
        QCOMPARE(text.selectedText(), selected);
        piecedText.load(doc);
        piecedText.select(start, length);
        QCOMPARE(piecedText.selectionStart(), start);
        QCOMPARE(piecedText.selectionLength(), length);
        QCOMPARE(piecedText.selectedText(), selected);
        // The bus reads the selection and the caret, and sets them.
        int from = -1;
        int to = -1;
        bus()->selection(0, &from, &to);
        QCOMPARE(std::pair(from, to),
                 length ? std::pair(onBus(doc, start), onBus(doc, start + length)) : std::pair(0, 0));
        QCOMPARE(bus()->cursorPosition(), onBus(doc, start + length));
        QCOMPARE(bus()->text(onBus(doc, start), onBus(doc, start + length)), onBus(selected));
        piecedText.setCaret(0);
        bus()->setSelection(0, onBus(doc, start), onBus(doc, start + length));
        QCOMPARE(piecedText.selectedText(), selected);
        bus()->setCursorPosition(onBus(doc, start + length));
        QCOMPARE(piecedText.selectionStart(), start + length);
    }

    void positionsClampToText()
    {
        text.setText(u"ab\r\ncd"_s);
        text.setCaret(100);
        QCOMPARE(text.selectionStart(), 6);
        text.select(1, 100);
        QCOMPARE(text.selectionLength(), 5);
        // The largest lengths select to the end too, without overflowing.
        text.select(1, std::numeric_limits<qsizetype>::max());
        QCOMPARE(text.selectionLength(), 5);
        // Between CR and LF is the end of the line.
        text.setCaret(3);
        QCOMPARE(text.selectionStart(), 2);
    }

    void selTextReplacesAndLeavesCaretAfter()
    {
        text.setText(u"one\r\ntwo\r\nthree"_s);
        text.select(5, 3);
        QSignalSpy changes(&text, &TextArea::changed);
        text.replaceSelection(u"<B>\r\nX\r\n</B>"_s);
        QVERIFY(changes.count() >= 1); // before replaceSelection returned
        QCOMPARE(text.text(), u"one\r\n<B>\r\nX\r\n</B>\r\nthree"_s);
        QCOMPARE(text.selectionStart(), 5 + 12);
        QCOMPARE(text.selectionLength(), 0);
    }

    void indexOfInDocumentTerms_data()
    {
        QTest::addColumn<QString>("doc");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("at");
        QTest::newRow("start") << u"<BODY>x"_s << u"<BODY>"_s << 0;
        QTest::newRow("third line") << u"a\r\nb\r\n<BODY>"_s << u"<BODY>"_s << 6;
        QTest::newRow("first of two") << u"x<BODY>\r\n<BODY>"_s << u"<BODY>"_s << 1;
        QTest::newRow("case matters") << u"<body>"_s << u"<BODY>"_s << -1;
        QTest::newRow("absent") << u""_s << u"<BODY>"_s << -1;
        QTest::newRow("across piece joins") << u"ab\r\n12<BODY>"_s << u"<BODY>"_s << 6;
    }
    void indexOfInDocumentTerms()
    {
        QFETCH(QString, doc);
        QFETCH(QString, needle);
        QFETCH(int, at);
        text.setText(doc);
        QCOMPARE(text.indexOf(needle), at);
        QCOMPARE(text.text().indexOf(needle), at);
        piecedText.setText(doc);
        QCOMPARE(piecedText.indexOf(needle), at);
    }

    // The selection keeps to its characters when text goes in elsewhere.
    void insertAtKeepsSelection_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("newStart");
        // "ab\r\ncd", "XY" in at 4 (before "cd").
        QTest::newRow("before") << 1 << 2 << 1;
        QTest::newRow("caret at the position") << 4 << 0 << 6;
        QTest::newRow("ending at the position") << 1 << 3 << 1;
        QTest::newRow("after") << 5 << 1 << 7;
        QTest::newRow("around") << 0 << 6 << 0;
    }
    void insertAtKeepsSelection()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, newStart);
        text.load(u"ab\r\ncd"_s);
        text.select(start, length);
        const QString selected = text.selectedText();
        text.insertAt(4, u"XY"_s);
        QCOMPARE(text.text(), u"ab\r\nXYcd"_s);
        QCOMPARE(text.selectionStart(), newStart);
        QCOMPARE(text.selectedText(), start < 4 && start + length > 4 ? u"ab\r\nXYcd"_s : selected);
    }

    void shiftReturnIsALineEnd()
    {
        text.load(u"ab"_s);
        text.setCaret(1);
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(&edit, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(text.text(), u"a\r\n\r\nb"_s);
    }

    // Keys at the place where one piece ends and the next begins act on the
    // document's characters, as they do on a line in one block; undoing them
    // gives the line back, every step changing it, however the pieces are
    // cut and joined on the way. What is copied holds the line as one.
    void keysAtPieceJoins_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("times");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caretAfter");
        // "<A><B>cdef" stands as "<A>", "<B>", "cde", "f".
        const QString doc = u"<A><B>cdef"_s;
        QTest::newRow("backspace") << 3 << int(Qt::Key_Backspace) << 1 << u""_s << u"<A<B>cdef"_s << 2;
        QTest::newRow("delete") << 3 << int(Qt::Key_Delete) << 1 << u""_s << u"<A>B>cdef"_s << 3;
        QTest::newRow("left") << 3 << int(Qt::Key_Left) << 1 << u""_s << doc << 2;
        QTest::newRow("right") << 3 << int(Qt::Key_Right) << 1 << u""_s << doc << 4;
        QTest::newRow("ctrl+right") << 6 << (Qt::Key_Right | Qt::ControlModifier).toCombined() << 1 << u""_s
                                    << doc << 10;
        QTest::newRow("ctrl+left") << 10 << (Qt::Key_Left | Qt::ControlModifier).toCombined() << 1 << u""_s
                                   << doc << 6;
        QTest::newRow("ctrl+shift+left")
            << 10 << (Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Left).toCombined() << 1 << u""_s
            << doc << 6;
        QTest::newRow("return") << 6 << int(Qt::Key_Return) << 1 << u""_s << u"<A><B>\r\ncdef"_s << 8;
        QTest::newRow("typing") << 3 << int(Qt::Key_X) << 1 << u""_s << u"<A>x<B>cdef"_s << 4;
        QTest::newRow("typing a run across cuts")
            << 3 << int(Qt::Key_X) << 5 << u""_s << u"<A>xxxxx<B>cdef"_s << 8;
        QTest::newRow("typing a run at the end")
            << 10 << int(Qt::Key_X) << 4 << u""_s << u"<A><B>cdefxxxx"_s << 14;
        QTest::newRow("backspaces until the line is short")
            << 10 << int(Qt::Key_Backspace) << 7 << u""_s << u"<A>"_s << 3;
        QTest::newRow("deletes emptying a piece")
            << 3 << int(Qt::Key_Delete) << 3 << u""_s << u"<A>cdef"_s << 3;
        QTest::newRow("commit with a line end") << 7 << 0 << 1 << u"x\ny"_s << u"<A><B>cx\r\nydef"_s << 11;
        QTest::newRow("commit of a cr at a join") << 3 << 0 << 1 << u"\r"_s << u"<A>\r\n<B>cdef"_s << 5;
        QTest::newRow("typing beyond the BMP") << 7 << int(Qt::Key_unknown) << 1 << u"𠮷"_s
                                               << u"<A><B>c𠮷def"_s << 9;
        QTest::newRow("commit outgrowing a piece") << 7 << 0 << 1 << u"xyz"_s << u"<A><B>cxyzdef"_s << 10;
    }
    void keysAtPieceJoins()
    {
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, times);
        QFETCH(QString, commit);
        QFETCH(QString, after);
        QFETCH(int, caretAfter);
        const QString doc = u"<A><B>cdef"_s;
        piecedText.load(doc);
        QCOMPARE(pieced.document()->blockCount(), 4);
        // The same keys on a line in one block are the reference.
        for (auto [widget, area] :
             {std::pair{&edit, &text}, std::pair<QPlainTextEdit*, TextArea*>{&pieced, &piecedText}}) {
            area->load(doc);
            area->setCaret(caret);
            for (int i = 0; i < times; ++i) {
                if (key && !commit.isEmpty()) {
                    // A key that types the text, beyond Latin-1 too.
                    QKeyEvent typed(QEvent::KeyPress, Qt::Key(key), {}, commit);
                    QCoreApplication::sendEvent(widget, &typed);
                } else if (key) {
                    QTest::keyClick(widget, Qt::Key(key & ~Qt::KeyboardModifierMask),
                                    Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
                } else {
                    QInputMethodEvent input;
                    input.setCommitString(commit);
                    QCoreApplication::sendEvent(widget, &input);
                }
            }
            QCOMPARE(area->text(), after);
            QCOMPARE(area->selectionStart(), caretAfter);
            // No piece is left empty, and a line no longer than a piece is
            // one block again.
            for (QTextBlock b = widget->document()->begin(); b.isValid();) {
                int length = 0;
                int blocks = 0;
                bool empty = false;
                do {
                    length += b.length() - 1;
                    empty = empty || b.length() == 1;
                    ++blocks;
                    b = b.next();
                } while (b.isValid() && piecedText.pieces().continuesLine(b));
                QVERIFY(blocks == 1 || (length > 3 && !empty));
            }
            for (QString before = area->text(); widget->document()->isUndoAvailable();
                 before = area->text()) {
                widget->undo();
                QVERIFY(area->text() != before);
            }
            QCOMPARE(area->text(), doc);
        }
        // No piece outgrows its length, however it was typed.
        for (QTextBlock b = pieced.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() - 1 <= piecedText.pieces().mostInPiece());
        piecedText.select(1, 8);
        pieced.copy();
        QCOMPARE(QApplication::clipboard()->text(), u"A><B>cde"_s);
    }

    // A selection from a line's start to a piece's start, deleted or typed
    // over, leaves the line end before it.
    void selectionUpToAPieceKeepsTheLineEnd_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("delete") << int(Qt::Key_Delete) << u"ab\r\n<B>cdef"_s;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << u"ab\r\n<B>cdef"_s;
        QTest::newRow("typed over") << int(Qt::Key_X) << u"ab\r\nx<B>cdef"_s;
        QTest::newRow("a tab typed over") << int(Qt::Key_Tab) << u"ab\r\n\t<B>cdef"_s;
    }
    void selectionUpToAPieceKeepsTheLineEnd()
    {
        QFETCH(int, key);
        QFETCH(QString, after);
        piecedText.load(u"ab\r\n<A><B>cdef"_s);
        piecedText.select(4, 3);
        QTest::keyClick(&pieced, Qt::Key(key));
        QCOMPARE(piecedText.text(), after);
        pieced.undo();
        QCOMPARE(piecedText.text(), u"ab\r\n<A><B>cdef"_s);
    }

    // Edits over the bus keep the pieces and the line ends, one undo step each.
    void busEditsKeepThePieces_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");
        // "<A><B>cdef" stands as "<A>", "<B>", "cde", "f".
        QTest::newRow("deleted across a join") << 2 << 4 << u""_s << u"<AB>cdef"_s;
        QTest::newRow("inserted at a join") << 3 << 3 << u"x"_s << u"<A>x<B>cdef"_s;
        QTest::newRow("a line end in a piece") << 7 << 7 << u"\n"_s << u"<A><B>c\r\ndef"_s;
        QTest::newRow("replaced across joins") << 1 << 9 << u"Z"_s << u"<Zf"_s;
    }
    void busEditsKeepThePieces()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, text);
        QFETCH(QString, after);
        piecedText.load(u"<A><B>cdef"_s);
        auto* editable = QAccessible::queryAccessibleInterface(&pieced)->editableTextInterface();
        if (start == end)
            editable->insertText(start, text);
        else
            editable->replaceText(start, end, text);
        QCOMPARE(piecedText.text(), after);
        QCOMPARE(bus()->text(0, bus()->characterCount()), onBus(after));
        for (QTextBlock b = pieced.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() - 1 <= piecedText.pieces().mostInPiece());
        pieced.undo();
        QCOMPARE(piecedText.text(), u"<A><B>cdef"_s);
        QCOMPARE(bus()->characterCount(), 10);
    }

    // A script of keys on a line in pieces undoes and redoes through every
    // text it does on a line in one block.
    void undoStepsAsOnAShortLine_data()
    {
        QTest::addColumn<QString>("doc");
        QTest::addColumn<QString>("script");
        const QString doc = u"<A><B>cdefgh"_s;
        QTest::newRow("backspaces over loaded text") << doc << u"@12--------"_s;
        QTest::newRow("backspaces over typed text") << doc << u"@5xyzw---"_s;
        QTest::newRow("backspaces from typed into loaded") << doc << u"@5xyzw--------"_s;
        QTest::newRow("backspaces over a line end") << u"ab\r\n<A><B>c"_s << u"@11------"_s;
        QTest::newRow("deletes over loaded text") << doc << u"@1+++++++"_s;
        QTest::newRow("deletes over typed text") << doc << u"@3xyzw,,,,++++++"_s;
        QTest::newRow("deletes over a line end") << u"<A><B>\r\ncdefg"_s << u"@3+++++++"_s;
        QTest::newRow("backspace then delete") << doc << u"@6--++--"_s;
        QTest::newRow("typing, moved, typing") << doc << u"@3abc,,de..fg"_s;
        QTest::newRow("typing with returns") << doc << u"@4ab|cd|e"_s;
        QTest::newRow("typing then backspaces") << doc << u"@7uvwxy---z"_s;
        QTest::newRow("ctrl+backspace") << u"<A> bc <D> efgh"_s << u"@15~~x~"_s;
        QTest::newRow("input method commits") << doc << u"@4{あ}{いう}x{え}-"_s;
        QTest::newRow("selection typed over") << doc << u"@7___x__yz"_s;
        QTest::newRow("selection deleted") << doc << u"@9____-x_+"_s;
        QTest::newRow("drag and drop, then typing") << doc << u"@4___$10xy"_s;
        QTest::newRow("paste, then typing") << doc << u"@5^xy^"_s;
        QTest::newRow("a drop that makes a line short") << u"abcdef\r\nxy"_s << u"@5____$10z"_s;
        QTest::newRow("undo, then typing and deleting") << doc << u"@3xy&z-+-&&w"_s;
        QTest::newRow("ctrl+delete") << u"<A> bc <D> efgh"_s << u"@4``x`"_s;
        QTest::newRow("a short line typed long") << u"ab"_s << u"@2cdefg--"_s;
        QTest::newRow("a long line deleted short") << u"abcdef"_s << u"@6----xy"_s;
        QTest::newRow("beyond the BMP in a long line") << doc << u"@5𠮷&x😀&"_s;
        QTest::newRow("beyond the BMP on short lines") << u"ab\r\ncd"_s << u"@2😀 &"_s;
    }
    void undoStepsAsOnAShortLine()
    {
        QFETCH(QString, doc);
        QFETCH(QString, script);
        QStringList undone;
        const QStringList plain = played(&edit, &text, doc, script, &undone);
        QStringList undonePieced;
        bool inPieces = piecedText.pieces().hasPieces();
        const QStringList pieces = played(&pieced, &piecedText, doc, script, &undonePieced, undone, &inPieces);
        // Where no line stands in pieces, the steps are the widget's own.
        if (!inPieces)
            QCOMPARE(pieces, plain);
        QVERIFY2(passesThrough(pieces, plain),
                 qPrintable(pieces.join(u" | "_s) + u"\nwhere a line in one block goes "_s
                            + plain.join(u" | "_s)));
    }

    // Words, sentences and paragraphs read over the bus as Qt's own
    // interface reads them from a line in one block.
    void busReadsAroundAnOffset_data()
    {
        QTest::addColumn<int>("boundary");
        QTest::addColumn<int>("offset");
        // "Ab cd. Ef gh." stands as "Ab ", "cd.", " Ef", " gh", ".".
        QTest::newRow("word across a join") << int(QAccessible::WordBoundary) << 4;
        QTest::newRow("word after a join") << int(QAccessible::WordBoundary) << 10;
        QTest::newRow("sentence across joins") << int(QAccessible::SentenceBoundary) << 1;
        QTest::newRow("sentence from its end") << int(QAccessible::SentenceBoundary) << 11;
        QTest::newRow("sentence of the next line") << int(QAccessible::SentenceBoundary) << 15;
        QTest::newRow("paragraph") << int(QAccessible::ParagraphBoundary) << 8;
    }
    void busReadsAroundAnOffset()
    {
        QFETCH(int, boundary);
        QFETCH(int, offset);
        const QString doc = u"Ab cd. Ef gh.\r\nIj kl."_s;
        text.load(doc);
        piecedText.load(doc);
        QAccessibleTextInterface* plain = QAccessible::queryAccessibleInterface(&edit)->textInterface();
        const auto type = QAccessible::TextBoundaryType(boundary);
        int start = -1;
        int end = -1;
        int plainStart = -1;
        int plainEnd = -1;
        QCOMPARE(bus()->textAtOffset(offset, type, &start, &end),
                 plain->textAtOffset(offset, type, &plainStart, &plainEnd));
        QCOMPARE(std::pair(start, end), std::pair(plainStart, plainEnd));
    }

    void editsAreSingleUndoSteps()
    {
        text.load(u"abc\r\ndef"_s);
        text.select(1, 4);
        text.replaceSelection(u"X\r\nY"_s);
        text.surround(u"<H>\r\n"_s, u"\r\n</H>"_s);
        text.insertAt(2, u"Z"_s);
        text.setText(u"new"_s);
        const QStringList expected = {u"<HZ>\r\naX\r\nYdef\r\n</H>"_s, u"<H>\r\naX\r\nYdef\r\n</H>"_s,
                                      u"aX\r\nYdef"_s, u"abc\r\ndef"_s};
        for (const QString& before : expected) {
            edit.undo();
            QCOMPARE(text.text(), before);
        }
        edit.redo();
        QCOMPARE(text.text(), expected[2]);
    }
};

QTEST_MAIN(TestTextArea)
#include "tst_textarea.moc"
