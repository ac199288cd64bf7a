// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window as the user first gets it, its menu tree, enabling, New and basic
// tags, the close request, help and version.
#include "support/Designed.h"
#include "support/WindowFixture.h"

#include "Version.h"

#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;
using mx::MenuId;
using mx::platform::Answer;
using mx::platform::Buttons;
using mx::platform::Icon;

namespace {

// One row of the menu tree as designed, from the data file the desktop tier
// reads too.
struct Row {
    QString control;
    QString parent;
    QString caption;
    bool enabledAtStart;
};

const QList<Row>& designedTree()
{
    static const QList<Row> rows = [] {
        QList<Row> read;
        for (const QStringList& fields : designedRows(u":/menu-tree.tsv"_s, 4))
            read << Row{fields[0], fields[1], fields[2], fields[3] == u"on"};
        return read;
    }();
    return rows;
}

// Walks the menus as the user sees them, in order.
void collect(const QList<QAction*>& actions, const QString& parent, QStringList& out)
{
    for (QAction* action : actions) {
        const QString caption = action->isSeparator() ? u"-"_s : action->text();
        out << action->objectName() + u'|' + parent + u'|' + caption;
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->objectName()));
        QVERIFY(!action->isCheckable());
        if (QMenu* menu = action->menu())
            collect(menu->actions(), action->objectName(), out);
    }
}

const QString kSkeleton =
    u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    static QMap<MenuId, bool> enabledStates(WindowFixture& f)
    {
        QMap<MenuId, bool> states;
        for (MenuId item :
             {MenuId::Save, MenuId::SaveAs, MenuId::TagsMenu, MenuId::ShowInBrowser, MenuId::BasicTags})
            states[item] = f.document().isEnabled(item);
        return states;
    }

private Q_SLOTS:
    void menuTreeAsDesigned()
    {
        WindowFixture f;
        QStringList actual;
        collect(f.window->menuBar()->actions(), QString(), actual);
        QStringList expected;
        for (const Row& row : designedTree())
            expected << row.control + u'|' + row.parent + u'|' + row.caption;
        QCOMPARE(actual, expected);
    }

    void startUpState()
    {
        WindowFixture f;
        QCOMPARE(f.text().text(), QString());
        QVERIFY(f.document().isModified());
        QCOMPARE(f.window->windowTitle(), u"Marquetrix"_s);
        const QMap<MenuId, bool> expected{{MenuId::Save, false},
                                          {MenuId::SaveAs, false},
                                          {MenuId::TagsMenu, false},
                                          {MenuId::ShowInBrowser, false},
                                          {MenuId::BasicTags, true}};
        QCOMPARE(enabledStates(f), expected);
        for (const Row& row : designedTree())
            QCOMPARE(f.window->action(WindowFixture::idOf(row.control))->isEnabled(), row.enabledAtStart);
        // Nothing under the disabled Tags menu can be reached, whatever its own state.
        QVERIFY(!f.window->isReachable(mx::MenuId::BasicTags));
        QVERIFY(f.window->isReachable(mx::MenuId::New));
        QVERIFY(f.fake.messages.shown.isEmpty());
    }

    void textAreaAsDesigned()
    {
        WindowFixture f;
        auto* edit = f.window->findChild<QPlainTextEdit*>(u"Text1"_s);
        QVERIFY(edit);
        QCOMPARE(f.window->centralWidget(), edit);
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->font().pointSizeF(), 14.25);
        QCOMPARE(edit->font().families().value(0), u"ＭＳ 明朝"_s);
        QCOMPARE(edit->accessibleName(), u"本文"_s);
        const int dpi = f.window->logicalDpiX();
        QCOMPARE(edit->size(), QSize(qRound(7290 * dpi / 1440.0), qRound(5685 * dpi / 1440.0)));
        QVERIFY(!f.window->windowIcon().isNull());
        // Centred on the screen, its frame included.
        const QRect screen = f.window->screen()->geometry();
        const QRect frame = f.window->frameGeometry();
        QCOMPARE(frame.x() - screen.x(), (screen.width() - frame.width()) / 2);
        QCOMPARE(frame.y() - screen.y(), (screen.height() - frame.height()) / 2);
        // Resizing keeps the text area over the whole client area.
        f.window->resize(700, 500);
        QCoreApplication::processEvents();
        QCOMPARE(edit->geometry(), f.window->centralWidget()->geometry());
        QCOMPARE(edit->width(), 700);
    }

    void typingEnablesTagsOnly()
    {
        WindowFixture f;
        // An input method's composition is no text yet, nor its end.
        for (const QString& preedit : {u"にほ"_s, QString()}) {
            QInputMethodEvent composing(preedit, {});
            QCoreApplication::sendEvent(f.window->findChild<QPlainTextEdit*>(), &composing);
            QVERIFY(!enabledStates(f).value(MenuId::TagsMenu));
        }
        QTest::keyClicks(f.window->findChild<QPlainTextEdit*>(), u"abc"_s);
        QCOMPARE(f.text().text(), u"abc"_s);
        const QMap<MenuId, bool> expected{{MenuId::Save, false},
                                          {MenuId::SaveAs, false},
                                          {MenuId::TagsMenu, true},
                                          {MenuId::ShowInBrowser, false},
                                          {MenuId::BasicTags, true}};
        QCOMPARE(enabledStates(f), expected);
        QVERIFY(f.window->isReachable(mx::MenuId::BasicTags));
    }

    void newLaysDownSkeleton()
    {
        WindowFixture f;
        f.setText(u"old"_s);
        f.document().written(u"/home/u/page.html"_s);
        f.trigger(u"F1"_s);
        QCOMPARE(f.text().text(), kSkeleton);
        QCOMPARE(f.window->windowTitle(), u"Marquetrix"_s);
        QCOMPARE(f.document().currentFile(), QString());
        QVERIFY(f.document().isModified());
        const QMap<MenuId, bool> expected{{MenuId::Save, true},
                                          {MenuId::SaveAs, true},
                                          {MenuId::TagsMenu, true},
                                          {MenuId::ShowInBrowser, true},
                                          {MenuId::BasicTags, false}};
        QCOMPARE(enabledStates(f), expected);
        f.window->findChild<QPlainTextEdit*>()->undo();
        QCOMPARE(f.text().text(), u"old"_s);
    }

    void basicTagsWrap_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty gives New's text") << u""_s << kSkeleton;
        QTest::newRow("plain text")
            << u"memo"_s
            << u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"
               u"memo\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
        QTest::newRow("ending in a line end")
            << u"a\r\n"_s
            << u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
               u"<PRE>\r\na\r\n\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
    }
    void basicTagsWrap()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        WindowFixture f;
        f.setText(before);
        f.document().written(u"/tmp/memo.txt"_s);
        f.trigger(u"BASE"_s);
        QCOMPARE(f.text().text(), after);
        QCOMPARE(f.text().selectionStart(), 0);
        QCOMPARE(f.window->windowTitle(), u"Marquetrix-/tmp/memo.txt"_s);
        const QMap<MenuId, bool> expected{{MenuId::Save, true},
                                          {MenuId::SaveAs, true},
                                          {MenuId::TagsMenu, true},
                                          {MenuId::ShowInBrowser, true},
                                          {MenuId::BasicTags, true}};
        QCOMPARE(enabledStates(f), expected);
        f.window->findChild<QPlainTextEdit*>()->undo();
        QCOMPARE(f.text().text(), before);
    }

    void basicTagsTwiceNests()
    {
        WindowFixture f;
        f.setText(u"x"_s);
        f.trigger(u"BASE"_s);
        const QString once = f.text().text();
        f.trigger(u"BASE"_s);
        QCOMPARE(f.text().text(), u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"_s
                                      + once + u"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s);
    }

    // The close request, however it comes: the box, Exit, the session ending,
    // a signal. Steps: "close" (the close box), "exit", "logout" (the session
    // manager asks), "quit" (it ends the program), "close+logout" (a logout
    // arrives while the close box's question is up), "signal", "signal+signal"
    // (a second one while the question is up).
    void closing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("logout"); // what the program told the session manager
        QTest::addColumn<bool>("closed");
        for (const QString& how : {u"close"_s, u"exit"_s}) {
            QTest::newRow(qPrintable(how + u" unchanged"_s)) << how << false << u""_s << 0 << u""_s << true;
            QTest::newRow(qPrintable(how + u" changed, Yes"_s))
                << how << true << u"Yes"_s << 1 << u""_s << true;
            QTest::newRow(qPrintable(how + u" changed, No"_s))
                << how << true << u"No"_s << 1 << u""_s << false;
        }
        QTest::newRow("logout unchanged") << u"logout quit"_s << false << u""_s << 0 << u""_s << true;
        QTest::newRow("logout, No") << u"logout"_s << true << u"No"_s << 1 << u"cancel"_s << false;
        QTest::newRow("logout, Yes, then the session ends")
            << u"logout quit"_s << true << u"Yes"_s << 1 << u"release"_s << true;
        QTest::newRow("logout, Yes, cancelled, then the close box asks")
            << u"logout close"_s << true << u"Yes No"_s << 2 << u"release"_s << false;
        QTest::newRow("logout while the question is up, Yes")
            << u"close+logout"_s << true << u"Yes"_s << 1 << u"release"_s << true;
        QTest::newRow("logout while the question is up, No")
            << u"close+logout"_s << true << u"No"_s << 1 << u"cancel"_s << false;
        // A signal (SIGTERM, SIGINT, SIGHUP) asks as the close box does, once.
        QTest::newRow("signal unchanged") << u"signal"_s << false << u""_s << 0 << u""_s << true;
        QTest::newRow("signal changed, Yes") << u"signal"_s << true << u"Yes"_s << 1 << u""_s << true;
        QTest::newRow("signal changed, No") << u"signal"_s << true << u"No"_s << 1 << u""_s << false;
        QTest::newRow("second signal while the question is up")
            << u"signal+signal"_s << true << u"No"_s << 1 << u""_s << false;
    }
    void closing()
    {
        QFETCH(QString, steps);
        QFETCH(bool, modified);
        QFETCH(QString, answers);
        QFETCH(int, questions);
        QFETCH(QString, logout);
        QFETCH(bool, closed);
        WindowFixture f;
        f.setText(u"keep me"_s);
        f.document().written(u"/tmp/a.html"_s);
        if (modified)
            f.document().changed();
        for (const QString& answer : answers.split(u' ', Qt::SkipEmptyParts))
            f.fake.messages.answers.enqueue(answer == u"Yes" ? Answer::Yes : Answer::No);
        FakeLogout session;
        for (const QString& step : steps.split(u' ')) {
            if (step == u"close") {
                f.window->close();
            } else if (step == u"exit") {
                f.trigger(u"F5"_s);
            } else if (step == u"logout") {
                f.fake.session.logout(session);
            } else if (step == u"quit") {
                QEvent quit(QEvent::Quit);
                QCoreApplication::sendEvent(qApp, &quit);
            } else if (step == u"close+logout") {
                f.fake.messages.whileShowing = [&] { f.fake.session.logout(session); };
                f.window->close();
            } else if (step == u"signal") {
                Q_EMIT f.fake.endRequests.endRequested();
            } else if (step == u"signal+signal") {
                f.fake.messages.whileShowing = [&] { Q_EMIT f.fake.endRequests.endRequested(); };
                Q_EMIT f.fake.endRequests.endRequested();
            }
        }
        QCOMPARE(f.fake.messages.shown.size(), questions);
        for (const ShownMessage& shown : f.fake.messages.shown) {
            QCOMPARE(shown.text, u"テキストが変更されています。終了しますか。"_s);
            QCOMPARE(shown.icon, Icon::Question);
            QCOMPARE(shown.buttons, Buttons::YesNo);
            QCOMPARE(shown.title, u"Marquetrix"_s);
        }
        QCOMPARE(session.calls.join(u' '), logout);
        QCOMPARE(f.window->isVisible(), !closed);
        if (!closed) {
            QCOMPARE(f.text().text(), u"keep me"_s);
            QCOMPARE(f.document().isModified(), modified);
            QCOMPARE(f.fake.logoutInhibitor.inhibited(), modified);
            QCOMPARE(f.window->windowTitle(), u"Marquetrix-/tmp/a.html"_s);
        }
    }

    void closingRightAfterStartAsks()
    {
        WindowFixture f;
        f.fake.messages.answers.enqueue(mx::platform::Answer::No);
        QVERIFY(!f.window->close());
        QCOMPARE(f.fake.messages.shown.size(), 1);
    }

    void helpAndVersion()
    {
        WindowFixture f;
        f.setText(u"abc"_s, 1, 1);
        f.markSaved();
        f.trigger(u"Help"_s);
        f.trigger(u"Ver"_s);
        QCOMPARE(f.fake.messages.shown.size(), 2);
        const ShownMessage help = f.fake.messages.shown[0];
        // The designed lines, a line of the message a line of the file.
        QFile designed(QStringLiteral(MX_TEST_DATA "/help.txt"));
        QVERIFY(designed.open(QIODevice::ReadOnly));
        QCOMPARE(help.text, QString::fromUtf8(designed.readAll()).chopped(1).replace(u'\n', u"\r\n"_s));
        QCOMPARE(help.text.count(u"\r\n"_s), 5);
        QCOMPARE(help.title, u"Marquetrix使い方"_s);
        QCOMPARE(help.icon, Icon::None);
        QCOMPARE(help.buttons, Buttons::Ok);
        const ShownMessage version = f.fake.messages.shown[1];
        QCOMPARE(version.text,
                 u"Marquetrix Version " MARQUETRIX_VERSION "  \r\n     " MARQUETRIX_RELEASE_DATE ""_s);
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d{2}/\\d{2}$"_s)
                    .match(QStringLiteral(MARQUETRIX_RELEASE_DATE))
                    .hasMatch());
        QCOMPARE(version.title, u"Version"_s);
        QCOMPARE(version.icon, Icon::None);
        QCOMPARE(version.buttons, Buttons::Ok);
        // Nothing changed.
        QCOMPARE(f.text().text(), u"abc"_s);
        QCOMPARE(f.text().selectionStart(), 1);
        QCOMPARE(f.text().selectionLength(), 1);
        QVERIFY(!f.document().isModified());
    }

    void disabledTagsMenuStopsDirectTriggers()
    {
        WindowFixture f;
        f.fake.clipboard.contents = u"x"_s;
        f.trigger(u"TF2"_s);
        QCOMPARE(f.text().text(), QString());
        QVERIFY(f.fake.clipboard.sets.isEmpty());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
