// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every wrapping and point command, run from its menu row in the real window.
#include "support/Designed.h"
#include "support/WindowFixture.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;

namespace {

const QString kDoc = u"ab\r\nc d\r\nef"_s;

} // namespace

class TestTags : public QObject {
    Q_OBJECT

    void addCase(const QString& name, const QString& control, qsizetype start, qsizetype length,
                 const QString& snippet)
    {
        QTest::newRow(qPrintable(name)) << control << start << length << snippet;
    }

private Q_SLOTS:
    void insertsSnippet_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QString>("snippet");
        // "b", line end, "c d": a selection across a line.
        const QString selected = u"b\r\nc d"_s;
        for (const QStringList& row : designedRows(u"tag-snippets.tsv"_s, 4)) {
            const QString& control = row[0];
            const QString& open = row[2];
            const QString& close = row[3];
            if (row[1] == u"point") {
                addCase(control + u" selection"_s, control, 1, 6, open);
                addCase(control + u" caret"_s, control, 5, 0, open);
                addCase(control + u" start"_s, control, 0, 0, open);
                addCase(control + u" end"_s, control, kDoc.size(), 0, open);
                continue;
            }
            const bool block = row[1] == u"block";
            addCase(control + u" selection"_s, control, 1, 6,
                    block ? open + u"\r\n"_s + selected + u"\r\n"_s + close : open + selected + close);
            addCase(control + u" caret"_s, control, 5, 0,
                    block ? open + u"\r\n\r\n"_s + close : open + u"  "_s + close);
        }
        addCase(u"spaces are a selection"_s, u"TF2"_s, 5, 1, u"<B> </B>"_s);
        addCase(u"selection ending in a line end"_s, u"BLUE"_s, 0, 4,
                u"<FONT COLOR=#0000FF>\r\nab\r\n\r\n</FONT>"_s);
        addCase(u"wrap at start"_s, u"TF3"_s, 0, 0, u"<I>  </I>"_s);
        addCase(u"wrap at end"_s, u"T7"_s, kDoc.size(), 0, u"<PRE>\r\n\r\n</PRE>"_s);
    }
    void insertsSnippet()
    {
        QFETCH(QString, control);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        QFETCH(QString, snippet);
        WindowFixture f;
        f.setText(kDoc, start, length);
        f.clipboard().contents = u"what the user had copied"_s;
        f.trigger(control);

        QCOMPARE(f.text().text(), kDoc.left(start) + snippet + kDoc.mid(start + length));
        QCOMPARE(f.text().selectionStart(), start + snippet.size());
        QCOMPARE(f.text().selectionLength(), 0);
        QCOMPARE(f.fake.clipboard.contents, snippet);
        QVERIFY(f.document().isModified());
        QVERIFY(f.fake.messages.shown.isEmpty());

        // One undo step takes it all back.
        f.window->findChild<QPlainTextEdit*>()->undo();
        QCOMPARE(f.text().text(), kDoc);
    }

    void alreadyWrappedNests()
    {
        WindowFixture f;
        f.setText(u"<B>x</B>"_s, 0, 8);
        f.trigger(u"TF2"_s);
        QCOMPARE(f.text().text(), u"<B><B>x</B></B>"_s);
    }

    void twoCommandsInARow()
    {
        WindowFixture f;
        f.setText(u"x"_s, 1, 0);
        f.trigger(u"T9"_s);
        f.trigger(u"T9"_s);
        f.trigger(u"T8"_s);
        QCOMPARE(f.text().text(), u"x<P><P><BR>"_s);
        QCOMPARE(f.fake.clipboard.contents, u"<BR>"_s);
    }

    // Positions stay exact deep inside a large document.
    void largeDocument()
    {
        WindowFixture f;
        QString doc;
        const QString line = u"<P>いろはにほへと ABC</P>\r\n"_s;
        while (doc.size() < 10'000'000)
            doc += line;
        f.text().load(doc);
        const qsizetype start = doc.size() / 2 + 5;
        f.text().select(start, line.size());
        QCOMPARE(f.text().selectedText(), doc.mid(start, line.size()));
        f.trigger(u"T7"_s);
        const QString snippet = u"<PRE>\r\n"_s + doc.mid(start, line.size()) + u"\r\n</PRE>"_s;
        QCOMPARE(f.text().selectionStart(), start + snippet.size());
        QCOMPARE(f.text().length(), doc.size() - line.size() + snippet.size());
        f.text().select(start - 3, snippet.size() + 6);
        QCOMPARE(f.text().selectedText(), doc.mid(start - 3, 3) + snippet + doc.mid(start + line.size(), 3));
    }

    // Another program keeps the clipboard (it takes it back at once, or
    // never answers): every command still inserts its own snippet, heading 1
    // like the rest, without a word, and the clipboard is theirs.
    void clipboardKeptByAnother_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("H2") << u"H2"_s << u"[<H2>sel</H2>]"_s;
        QTest::newRow("RED") << u"RED"_s << u"[<FONT COLOR=#FF0000>\r\nsel\r\n</FONT>]"_s;
        QTest::newRow("T9") << u"T9"_s << u"[<P>]"_s;
        QTest::newRow("H1") << u"H1"_s << u"[<H1>sel</H1>]"_s;
    }
    void clipboardKeptByAnother()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        WindowFixture f;
        f.setText(u"[sel]"_s, 1, 3);
        f.fake.clipboard.contents = u"OLD"_s;
        f.fake.clipboard.failSet = true;
        f.trigger(control);
        QCOMPARE(f.text().text(), text);
        QCOMPARE(f.text().selectionStart(), text.size() - 1);
        QCOMPARE(f.fake.clipboard.contents, u"OLD"_s);
        QVERIFY(f.fake.messages.shown.isEmpty());
        f.edit()->undo();
        QCOMPARE(f.text().text(), u"[sel]"_s);
    }

    // A command triggered while the input method still composes (over the
    // accessibility bus, which moves no focus) commits the composition once,
    // then goes after it: the screen never shows what the document lacks.
    void compositionPending_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("committed");
        QTest::newRow("point tag, input method commits")
            << u"LI"_s << int(ImAnswer::Commits) << u"a漢字<LI>b"_s << u"a漢字b"_s;
        QTest::newRow("wrap tag, input method commits")
            << u"TF2"_s << int(ImAnswer::Commits) << u"a漢字<B>  </B>b"_s << u"a漢字b"_s;
        QTest::newRow("no input method answers: kept as shown")
            << u"T8"_s << int(ImAnswer::Silent) << u"a漢字<BR>b"_s << u"a漢字b"_s;
        QTest::newRow("input method drops it") << u"T9"_s << int(ImAnswer::Drops) << u"a<P>b"_s << u"ab"_s;
    }
    void compositionPending()
    {
        QFETCH(QString, control);
        QFETCH(int, answer);
        QFETCH(QString, text);
        QFETCH(QString, committed);
        WindowFixture f;
        f.setText(u"ab"_s, 1);
        f.markSaved();
        f.compose(u"漢字"_s, ImAnswer(answer));
        f.trigger(control);

        QCOMPARE(f.text().text(), text);
        QCOMPARE(f.shownComposition(), QString());
        QCOMPARE(f.text().selectionStart(), text.size() - 1);
        QVERIFY(f.document().isModified());
        // Nothing arrives late.
        QTest::qWait(100);
        QCOMPARE(f.text().text(), text);
        // The command is still one undo step of its own.
        f.edit()->undo();
        QCOMPARE(f.text().text(), committed);
    }
};

QTEST_MAIN(TestTags)
#include "tst_tags.moc"
