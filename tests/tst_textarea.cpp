// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The text area adapter: the document's CR LF terms over the widget's blocks.
#include "core/TextArea.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using mx::TextArea;

class TestTextArea : public QObject {
    Q_OBJECT

    QPlainTextEdit edit;
    TextArea text{&edit};

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
        QTest::newRow("after last line end") << u"ab\r\n"_s << 4 << 0 << u""_s;
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
    }
    void indexOfInDocumentTerms()
    {
        QFETCH(QString, doc);
        QFETCH(QString, needle);
        QFETCH(int, at);
        text.setText(doc);
        QCOMPARE(text.indexOf(needle), at);
        QCOMPARE(text.text().indexOf(needle), at);
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
