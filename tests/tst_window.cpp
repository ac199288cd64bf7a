// The window as the user first gets it, its menu tree, enabling, New and basic
// tags, the close request, help and version.
#include "support/WindowFixture.h"

#include "Version.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;
using mx::Item;

namespace {

struct Row {
    const char16_t* control;
    const char16_t* parent;
    const char16_t* caption;
};

// The menu tree as designed, in menu order.
const Row kTree[] = {
    {u"M1", u"", u"ファイル"},
    {u"F1", u"M1", u"新規作成"},
    {u"F2", u"M1", u"開く"},
    {u"bar", u"M1", u"-"},
    {u"F3", u"M1", u"上書き保存"},
    {u"F4", u"M1", u"名前を付けて保存"},
    {u"bar2", u"M1", u"-"},
    {u"F5", u"M1", u"終了"},
    {u"M2", u"", u"タグ"},
    {u"BASE", u"M2", u"基本タグ"},
    {u"T1", u"M2", u"ジャンプとリンク"},
    {u"Hyper", u"T1", u"ハイパーリンク"},
    {u"J1", u"Hyper", u"他ファイルへ"},
    {u"URL", u"Hyper", u"URL"},
    {u"J2", u"T1", u"ジャンプ"},
    {u"J3", u"T1", u"ネーム"},
    {u"TO_TOP", u"T1", u"先頭へ"},
    {u"T2", u"M2", u"イメージ"},
    {u"T3", u"M2", u"フォント"},
    {u"TF1", u"T3", u"サイズ"},
    {u"s7", u"TF1", u"=7"},
    {u"s6", u"TF1", u"=6"},
    {u"s5", u"TF1", u"=5"},
    {u"s4", u"TF1", u"=4"},
    {u"s3", u"TF1", u"=3"},
    {u"s2", u"TF1", u"=2"},
    {u"s1", u"TF1", u"=1"},
    {u"FC", u"T3", u"色"},
    {u"RED", u"FC", u"赤"},
    {u"BLUE", u"FC", u"青"},
    {u"GRAY", u"FC", u"灰色"},
    {u"GREEN", u"FC", u"蛍光緑"},
    {u"TF2", u"T3", u"ボールド"},
    {u"TF3", u"T3", u"イタリック"},
    {u"TF4", u"T3", u"アンダーライン"},
    {u"TF5", u"T3", u"ストライク"},
    {u"T4", u"M2", u"ヘッダ"},
    {u"H1", u"T4", u"H1"},
    {u"H2", u"T4", u"H2"},
    {u"H3", u"T4", u"H3"},
    {u"H4", u"T4", u"H4"},
    {u"H5", u"T4", u"H5"},
    {u"H6", u"T4", u"H6"},
    {u"Frame", u"M2", u"画面分割"},
    {u"ROWS_fr", u"Frame", u"上下分割"},
    {u"COLS_fr", u"Frame", u"左右分割"},
    {u"FILES_fr", u"Frame", u"表示ファイル"},
    {u"TARGET_fr", u"Frame", u"ベース ターゲット"},
    {u"LI", u"M2", u"リスト"},
    {u"T6", u"M2", u"区切り線"},
    {u"T7", u"M2", u"プレフォーマット"},
    {u"CENTER", u"M2", u"センター"},
    {u"T8", u"M2", u"ブレイク<BR>"},
    {u"T9", u"M2", u"パラグラフ<P>"},
    {u"T10", u"M2", u"アドレス"},
    {u"T11", u"M2", u"コメント"},
    {u"M3", u"", u"ブラウザ"},
    {u"IE", u"M3", u"ブラウザ表示"},
    {u"M4", u"", u"ヘルプ"},
    {u"Help", u"M4", u"ヘルプ"},
    {u"Ver", u"M4", u"バージョン"},
};

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

    static QMap<Item, bool> enabledStates(WindowFixture& f)
    {
        QMap<Item, bool> states;
        for (Item item : {Item::F3, Item::F4, Item::M2, Item::IE, Item::BASE})
            states[item] = f.state().enabled(item);
        return states;
    }

private Q_SLOTS:
    void menuTreeAsDesigned()
    {
        WindowFixture f;
        QStringList actual;
        collect(f.window->menuBar()->actions(), QString(), actual);
        QStringList expected;
        for (const Row& row : kTree)
            expected << QString::fromUtf16(row.control) + u'|' + QString::fromUtf16(row.parent) + u'|'
                            + QString::fromUtf16(row.caption);
        QCOMPARE(actual, expected);
    }

    void startUpState()
    {
        WindowFixture f;
        QCOMPARE(f.text().Text(), QString());
        QCOMPARE(f.state().modified(), 1);
        QCOMPARE(f.window->windowTitle(), u"Marquetrix"_s);
        const QMap<Item, bool> expected{{Item::F3, false}, {Item::F4, false}, {Item::M2, false},
                                        {Item::IE, false}, {Item::BASE, true}};
        QCOMPARE(enabledStates(f), expected);
        for (const Row& row : kTree) {
            const QString control = QString::fromUtf16(row.control);
            const bool off = control == u"F3" || control == u"F4" || control == u"M2" || control == u"IE";
            QCOMPARE(f.window->action(control)->isEnabled(), !off);
        }
        // Nothing under the disabled Tags menu can be reached, whatever its own state.
        QVERIFY(!f.window->reachable(u"BASE"_s));
        QVERIFY(f.window->reachable(u"F1"_s));
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
        const int dpi = f.window->logicalDpiX();
        QCOMPARE(edit->size(), QSize(qRound(7290 * dpi / 1440.0), qRound(5685 * dpi / 1440.0)));
        QVERIFY(!f.window->windowIcon().isNull());
        // Resizing keeps the text area over the whole client area.
        f.window->resize(700, 500);
        QCoreApplication::processEvents();
        QCOMPARE(edit->geometry(), f.window->centralWidget()->geometry());
        QCOMPARE(edit->width(), 700);
    }

    void typingEnablesTagsOnly()
    {
        WindowFixture f;
        QTest::keyClicks(f.window->findChild<QPlainTextEdit*>(), u"abc"_s);
        QCOMPARE(f.text().Text(), u"abc"_s);
        const QMap<Item, bool> expected{{Item::F3, false}, {Item::F4, false}, {Item::M2, true},
                                        {Item::IE, false}, {Item::BASE, true}};
        QCOMPARE(enabledStates(f), expected);
        QVERIFY(f.window->reachable(u"BASE"_s));
    }

    void newLaysDownSkeleton()
    {
        WindowFixture f;
        f.setText(u"old"_s);
        f.state().setCurrentFile(u"/home/u/page.html"_s);
        f.state().setModified(0);
        f.trigger(u"F1"_s);
        QCOMPARE(f.text().Text(), kSkeleton);
        QCOMPARE(f.window->windowTitle(), u"Marquetrix"_s);
        QCOMPARE(f.state().currentFile(), QString());
        QCOMPARE(f.state().modified(), 1);
        const QMap<Item, bool> expected{{Item::F3, true}, {Item::F4, true}, {Item::M2, true},
                                        {Item::IE, true}, {Item::BASE, false}};
        QCOMPARE(enabledStates(f), expected);
        f.window->findChild<QPlainTextEdit*>()->undo();
        QCOMPARE(f.text().Text(), u"old"_s);
    }

    void basicTagsWrap_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty gives New's text") << u""_s << kSkeleton;
        QTest::newRow("plain text") << u"memo"_s
                                    << u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"
                                       u"memo\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
        QTest::newRow("ending in a line end") << u"a\r\n"_s
                                              << u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
                                                 u"<PRE>\r\na\r\n\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
    }
    void basicTagsWrap()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        WindowFixture f;
        f.setText(before);
        f.state().setEnabled(Item::M2, true);
        f.state().setCurrentFile(u"/tmp/memo.txt"_s);
        f.trigger(u"BASE"_s);
        QCOMPARE(f.text().Text(), after);
        QCOMPARE(f.text().SelStart(), 0);
        QCOMPARE(f.window->windowTitle(), u"Marquetrix-/tmp/memo.txt"_s);
        const QMap<Item, bool> expected{{Item::F3, true}, {Item::F4, true}, {Item::M2, true},
                                        {Item::IE, true}, {Item::BASE, true}};
        QCOMPARE(enabledStates(f), expected);
        f.window->findChild<QPlainTextEdit*>()->undo();
        QCOMPARE(f.text().Text(), before);
    }

    void basicTagsTwiceNests()
    {
        WindowFixture f;
        f.setText(u"x"_s);
        f.trigger(u"BASE"_s);
        const QString once = f.text().Text();
        f.trigger(u"BASE"_s);
        QCOMPARE(f.text().Text(), u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"_s + once
                                      + u"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s);
    }

    // The close request, however it comes: the box, Exit, the session ending.
    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("closed");
        using mx::platform::Answer;
        for (const QString& how : {u"close box"_s, u"Exit"_s}) {
            QTest::newRow(qPrintable(how + u" unchanged"_s)) << how << 0 << int(Answer::Yes) << 0 << true;
            QTest::newRow(qPrintable(how + u" changed, Yes"_s)) << how << 1 << int(Answer::Yes) << 1 << true;
            QTest::newRow(qPrintable(how + u" changed, No"_s)) << how << 1 << int(Answer::No) << 1 << false;
        }
    }
    void closing()
    {
        QFETCH(QString, how);
        QFETCH(int, flag);
        QFETCH(int, answer);
        QFETCH(int, questions);
        QFETCH(bool, closed);
        WindowFixture f;
        f.setText(u"keep me"_s);
        f.state().setCurrentFile(u"/tmp/a.html"_s);
        f.state().setModified(qint16(flag));
        f.fake.messages.answers.enqueue(mx::platform::Answer(answer));
        if (how == u"Exit")
            f.trigger(u"F5"_s);
        else
            f.window->close();
        QCOMPARE(f.fake.messages.shown.size(), questions);
        if (questions) {
            QCOMPARE(f.fake.messages.shown[0].text, u"テキストが変更されています。終了しますか。"_s);
            QCOMPARE(f.fake.messages.shown[0].style, 36);
            QCOMPARE(f.fake.messages.shown[0].title, u"Marquetrix"_s);
        }
        QCOMPARE(f.window->isVisible(), !closed);
        if (!closed) {
            QCOMPARE(f.text().Text(), u"keep me"_s);
            QCOMPARE(f.state().modified(), 1);
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
        f.state().setModified(0);
        f.trigger(u"Help"_s);
        f.trigger(u"Ver"_s);
        QCOMPARE(f.fake.messages.shown.size(), 2);
        const ShownMessage help = f.fake.messages.shown[0];
        QCOMPARE(help.text,
                 u"タグを付けるときは、挿入するところをクリック\r\n"
                 u"または、文字列をドラッグしてから、タグを選択して下さい。\r\n"
                 u"\r\n"
                 u"また、一般的なタグの付け方は各自で勉強して下さい。\r\n"
                 u"このソフトの使用に当たり、何らかの影響があっても、\r\n"
                 u"当方は一切責任を持ちません。"_s);
        QCOMPARE(help.text.count(u"\r\n"_s), 5);
        QCOMPARE(help.title, u"Marquetrix使い方"_s);
        QCOMPARE(help.style, 0);
        const ShownMessage version = f.fake.messages.shown[1];
        QCOMPARE(version.text, u"Marquetrix Version " MARQUETRIX_VERSION "  \r\n     " MARQUETRIX_RELEASE_DATE ""_s);
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d{2}/\\d{2}$"_s).match(QStringLiteral(MARQUETRIX_RELEASE_DATE)).hasMatch());
        QCOMPARE(version.title, u"Version"_s);
        QCOMPARE(version.style, 0);
        // Nothing changed.
        QCOMPARE(f.text().Text(), u"abc"_s);
        QCOMPARE(f.text().SelStart(), 1);
        QCOMPARE(f.text().SelLength(), 1);
        QCOMPARE(f.state().modified(), 0);
    }

    void disabledTagsMenuStopsDirectTriggers()
    {
        WindowFixture f;
        f.fake.clipboard.text = u"x"_s;
        f.trigger(u"TF2"_s);
        QCOMPARE(f.text().Text(), QString());
        QVERIFY(f.fake.clipboard.sets.isEmpty());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
