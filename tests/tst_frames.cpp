// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The frameset splits and the base target, run from their menu rows.
#include "support/WindowFixture.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;

namespace {

const QString kRows = u"<FRAMESET ROWS=\"*,*\">\r\n\r\n</FRAMESET>\r\n"_s;
const QString kCols = u"<FRAMESET COLS=\"*,*\">\r\n\r\n</FRAMESET>\r\n"_s;
// Opened where an existing frameset ends, and not closed.
const QString kRowsOpen = u"<FRAMESET ROWS=\"*,*\">\r\n\r\n\r\n"_s;
const QString kColsOpen = u"<FRAMESET COLS=\"*,*\">\r\n\r\n\r\n"_s;
const QString kBase = u"<BASE TARGET=\"\">\r\n"_s;

// The page New lays down, as the window makes it.
QString newPage()
{
    static const QString page = [] {
        WindowFixture f;
        f.trigger(mx::MenuId::New);
        return f.text().text();
    }();
    return page;
}

} // namespace

class TestFrames : public QObject {
    Q_OBJECT

    static QPlainTextEdit* edit(WindowFixture& f) { return f.text().widget(); }

    // Focus somewhere else, so that a command giving it back shows.
    static void focusElsewhere(WindowFixture& f)
    {
        f.window->menuBar()->setFocus();
        QVERIFY(f.window->focusWidget() != edit(f));
    }

    // The text left exactly as it was: selection, clipboard and flag included.
    static void checkUnchanged(WindowFixture& f, const QString& before, qsizetype start, qsizetype length)
    {
        QCOMPARE(f.text().text(), before);
        QCOMPARE(f.text().selectionStart(), start);
        QCOMPARE(f.text().selectionLength(), length);
        QCOMPARE(f.fake.clipboard.contents, u"copied"_s);
        QVERIFY(f.fake.clipboard.sets.isEmpty());
        QVERIFY(!f.document().isModified());
        QCOMPARE(f.window->focusWidget(), edit(f));
        QVERIFY(!edit(f)->document()->isUndoAvailable());
    }

private Q_SLOTS:
    void split_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("before");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<qsizetype>("at"); // where the replaced tag stood; -1: nothing found
        QTest::addColumn<qsizetype>("replaced"); // its length
        QTest::addColumn<QString>("snippet");

        const QString ab = u"A<BODY>B"_s;
        QTest::newRow("rows on body")
            << u"ROWS_fr"_s << ab << qsizetype(0) << qsizetype(0) << qsizetype(1) << qsizetype(6) << kRows;
        QTest::newRow("cols on body")
            << u"COLS_fr"_s << ab << qsizetype(0) << qsizetype(0) << qsizetype(1) << qsizetype(6) << kCols;
        QTest::newRow("caret after the tag")
            << u"ROWS_fr"_s << ab << qsizetype(8) << qsizetype(0) << qsizetype(1) << qsizetype(6) << kRows;
        QTest::newRow("selection over the tag's end")
            << u"ROWS_fr"_s << ab << qsizetype(5) << qsizetype(3) << qsizetype(1) << qsizetype(6) << kRows;
        QTest::newRow("skeleton") << u"ROWS_fr"_s << newPage() << qsizetype(0) << qsizetype(0)
                                  << qsizetype(newPage().indexOf(u"<BODY>"_s)) << qsizetype(6) << kRows;
        QTest::newRow("two bodies: the first")
            << u"COLS_fr"_s << u"<BODY>\r\nx\r\n<BODY>\r\n"_s << qsizetype(9) << qsizetype(3) << qsizetype(0)
            << qsizetype(6) << kCols;
        const QString frameset = u"<BODY>\r\n<FRAMESET ROWS=\"*,*\">\r\n<FRAME>\r\n</FRAMESET>\r\n</BODY>"_s;
        QTest::newRow("existing frameset wins over body")
            << u"COLS_fr"_s << frameset << qsizetype(0) << qsizetype(0)
            << qsizetype(frameset.indexOf(u"</FRAMESET>"_s)) << qsizetype(11) << kColsOpen;
        QTest::newRow("two frameset ends: the first")
            << u"ROWS_fr"_s << u"</FRAMESET>x</FRAMESET>"_s << qsizetype(12) << qsizetype(0) << qsizetype(0)
            << qsizetype(11) << kRowsOpen;
        QTest::newRow("lower-case frameset end doesn't count")
            << u"ROWS_fr"_s << u"<BODY></frameset>"_s << qsizetype(0) << qsizetype(0) << qsizetype(0)
            << qsizetype(6) << kRows;
        // Nothing to replace.
        QTest::newRow("empty") << u"ROWS_fr"_s << u""_s << qsizetype(0) << qsizetype(0) << qsizetype(-1)
                               << qsizetype(0) << QString();
        QTest::newRow("lower-case body") << u"ROWS_fr"_s << u"<html>\r\n<body>\r\n</body>"_s << qsizetype(3)
                                         << qsizetype(2) << qsizetype(-1) << qsizetype(0) << QString();
        QTest::newRow("body with attributes")
            << u"COLS_fr"_s << u"<BODY BGCOLOR=#FFFFFF>\r\nx"_s << qsizetype(25) << qsizetype(0)
            << qsizetype(-1) << qsizetype(0) << QString();
        QTest::newRow("tag broken by a line end")
            << u"COLS_fr"_s << u"<BO\r\nDY>"_s << qsizetype(0) << qsizetype(0) << qsizetype(-1)
            << qsizetype(0) << QString();
    }
    void split()
    {
        QFETCH(QString, control);
        QFETCH(QString, before);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        QFETCH(qsizetype, at);
        QFETCH(qsizetype, replaced);
        QFETCH(QString, snippet);
        WindowFixture f;
        f.setText(before, start, length);
        edit(f)->document()->clearUndoRedoStacks();
        f.markSaved();
        f.fake.clipboard.contents = u"copied"_s;
        focusElsewhere(f);

        f.trigger(control);

        if (at < 0) {
            checkUnchanged(f, before, start, length);
            return;
        }
        QCOMPARE(f.text().text(), before.left(at) + snippet + before.mid(at + replaced));
        QCOMPARE(f.text().selectionStart(), at + snippet.size());
        QCOMPARE(f.text().selectionLength(), 0);
        QCOMPARE(f.fake.clipboard.contents, snippet);
        QVERIFY(f.document().isModified());
        QCOMPARE(f.window->focusWidget(), edit(f));
        QVERIFY(f.fake.messages.shown.isEmpty());
        edit(f)->undo();
        QCOMPARE(f.text().text(), before);
    }

    // Each split opens inside the last; once the only body tag is gone and the
    // last frameset is left open, there is nothing more to split.
    void repeatedSplits()
    {
        WindowFixture f;
        const QString page = newPage();
        const qsizetype body = page.indexOf(u"<BODY>"_s);
        f.setText(page);
        f.trigger(u"ROWS_fr"_s);
        f.trigger(u"COLS_fr"_s);
        const QString twice =
            page.left(body) + kRows.left(25) + kColsOpen + kRows.mid(36) + page.mid(body + 6);
        QCOMPARE(f.text().text(), twice);
        QCOMPARE(f.text().selectionStart(), body + 25 + kColsOpen.size());
        f.markSaved();
        f.trigger(u"ROWS_fr"_s);
        QCOMPARE(f.text().text(), twice);
        QVERIFY(!f.document().isModified());
        QCOMPARE(f.fake.clipboard.contents, kColsOpen);
    }

    // A clipboard another program keeps does not stop the split.
    void splitDespiteClipboard()
    {
        WindowFixture f;
        f.setText(u"A<BODY>B"_s);
        f.fake.clipboard.contents = u"theirs"_s;
        f.fake.clipboard.failSet = true;
        f.trigger(u"ROWS_fr"_s);
        QCOMPARE(f.text().text(), u"A"_s + kRows + u"B"_s);
        QCOMPARE(f.fake.clipboard.contents, u"theirs"_s);
        QVERIFY(f.fake.messages.shown.isEmpty());
    }

    void baseTarget_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<qsizetype>("at"); // -1: nothing found
        QTest::newRow("skeleton") << newPage() << qsizetype(5) << qsizetype(0)
                                  << qsizetype(newPage().indexOf(u"</HEAD>"_s));
        QTest::newRow("after text on the same line")
            << u"<TITLE>t</TITLE></HEAD>\r\n<BODY>"_s << qsizetype(30) << qsizetype(0) << qsizetype(16);
        QTest::newRow("at the very start")
            << u"</HEAD>\r\nx"_s << qsizetype(2) << qsizetype(5) << qsizetype(0);
        QTest::newRow("two: the first")
            << u"a\r\n</HEAD>\r\n</HEAD>"_s << qsizetype(12) << qsizetype(7) << qsizetype(3);
        QTest::newRow("japanese before")
            << u"見出し</HEAD>"_s << qsizetype(0) << qsizetype(0) << qsizetype(3);
        QTest::newRow("lower case only")
            << u"<head>\r\n</head>\r\n"_s << qsizetype(3) << qsizetype(2) << qsizetype(-1);
        QTest::newRow("empty") << u""_s << qsizetype(0) << qsizetype(0) << qsizetype(-1);
        QTest::newRow("start tag only")
            << u"<HEAD><TITLE>"_s << qsizetype(13) << qsizetype(0) << qsizetype(-1);
    }
    void baseTarget()
    {
        QFETCH(QString, before);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        QFETCH(qsizetype, at);
        WindowFixture f;
        f.setText(before, start, length);
        edit(f)->document()->clearUndoRedoStacks();
        f.markSaved();
        f.fake.clipboard.contents = u"copied"_s;
        f.fake.dialog.leave({u"/left/over.htm"_s, {}, {}});
        focusElsewhere(f);

        f.trigger(u"TARGET_fr"_s);

        if (at < 0) {
            checkUnchanged(f, before, start, length);
            QCOMPARE(f.fake.dialog.fileName(), u"/left/over.htm"_s);
            return;
        }
        QCOMPARE(f.text().text(), before.left(at) + kBase + before.mid(at));
        QCOMPARE(f.text().selectionStart(), 0);
        QCOMPARE(f.text().selectionLength(), 0);
        QCOMPARE(f.fake.dialog.fileName(), QString());
        QVERIFY(f.document().isModified());
        QCOMPARE(f.window->focusWidget(), edit(f));
        // No clipboard at all, and no word to the user.
        QCOMPARE(f.fake.clipboard.contents, u"copied"_s);
        QVERIFY(f.fake.clipboard.sets.isEmpty());
        QVERIFY(f.fake.messages.shown.isEmpty());
        edit(f)->undo();
        QCOMPARE(f.text().text(), before);
        QVERIFY(!edit(f)->document()->isUndoAvailable());
    }

    void baseTargetTwice()
    {
        WindowFixture f;
        f.setText(newPage());
        f.trigger(u"TARGET_fr"_s);
        f.trigger(u"TARGET_fr"_s);
        QString twice = newPage();
        twice.insert(twice.indexOf(u"</HEAD>"_s), kBase + kBase);
        QCOMPARE(f.text().text(), twice);
    }
};

QTEST_MAIN(TestFrames)
#include "tst_frames.moc"
