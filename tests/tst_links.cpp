// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The commands that refer to a file picked in the dialog (link, image, frame
// entry), the URL link and the fixed anchors, run from their menu rows.
#include "core/ReferencedFile.h"
#include "platform/FileDialog.h"
#include "support/Designed.h"
#include "support/WindowFixture.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;

namespace {

struct PickCommand {
    const char16_t* control;
    QString (*snippet)(const QString& link);
    qsizetype fixedLength; // the snippet's length besides the link
};

QString link(const QString& l)
{
    return u"<A HREF=\""_s + l + u"\">   </A>"_s;
}
QString image(const QString& l)
{
    return u"<IMG SRC=\""_s + l + u"\" BORDER=0>\r\n"_s;
}
QString frame(const QString& l)
{
    return u"<FRAME SRC=\""_s + l + u"\" NAME=\"\" RESIZE>\r\n"_s;
}

const PickCommand kPickCommands[] = {
    {u"J1", link, 18},
    {u"T2", image, 23},
    {u"FILES_fr", frame, 31},
};

const QString kDoc = u"ab\r\ncd"_s;

QPlainTextEdit* edit(WindowFixture& f)
{
    return f.text().widget();
}

// The dialog in the state other commands may have left it in.
void disturbDialog(FakeFileDialog& dialog)
{
    dialog.leave({dialog.fileName(), u"/somewhere/else"_s, {u"Text(*.txt)|*.txt"_s, 1}});
}

mx::platform::FileFilter filterOf(const PickCommand* command)
{
    return designedFilter(QString::fromUtf16(command->control));
}

} // namespace

Q_DECLARE_METATYPE(const PickCommand*)

class TestLinks : public QObject {
    Q_OBJECT

    // The document with the snippet in place of [start, start + length), the
    // caret after it, the clipboard holding it, and one undo taking it back.
    static void checkInserted(WindowFixture& f, qsizetype start, qsizetype length, const QString& snippet)
    {
        QCOMPARE(f.text().text(), kDoc.left(start) + snippet + kDoc.mid(start + length));
        QCOMPARE(f.text().selectionStart(), start + snippet.size());
        QCOMPARE(f.text().selectionLength(), 0);
        QCOMPARE(f.fake.clipboard.contents, snippet);
        QVERIFY(f.document().isModified());
        QVERIFY(f.fake.messages.shown.isEmpty());
        edit(f)->undo();
        QCOMPARE(f.text().text(), kDoc);
    }

private Q_SLOTS:
    void linkForm_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("home path unchanged") << u"/home/user/page.htm"_s << u"/home/user/page.htm"_s;
        QTest::newRow("spaces, case, japanese unchanged")
            << u"/home/user/My Docs/夏 の 宿.HTM"_s << u"/home/user/My Docs/夏 の 宿.HTM"_s;
        QTest::newRow("backslash in a file name") << u"/home/user/a\\b.htm"_s << u"/home/user/a%5Cb.htm"_s;
        QTest::newRow("drive-like name") << u"C:\\WINDOWS\\index.htm"_s << u"C:%5CWINDOWS%5Cindex.htm"_s;
        QTest::newRow("percent first, then the rest") << u"/a/100%.htm"_s << u"/a/100%25.htm"_s;
        QTest::newRow("already encoded stays literal") << u"/a/%22.htm"_s << u"/a/%2522.htm"_s;
        QTest::newRow("double quote") << u"/a/say \"hi\".htm"_s << u"/a/say %22hi%22.htm"_s;
        QTest::newRow("hash") << u"/a/A#1.htm"_s << u"/a/A%231.htm"_s;
        QTest::newRow("question mark") << u"/a/why?.htm"_s << u"/a/why%3F.htm"_s;
        QTest::newRow("ampersand") << u"/a/R&D.htm"_s << u"/a/R%26D.htm"_s;
        QTest::newRow("control characters") << u"/a/\t\n\x1f\x7f.htm"_s << u"/a/%09%0A%1F%7F.htm"_s;
        QTest::newRow("others kept") << u"/a/<b>'x';=+,@$!~*()[]{}|^`.htm"_s
                                     << u"/a/<b>'x';=+,@$!~*()[]{}|^`.htm"_s;
        QTest::newRow("empty") << u""_s << u""_s;
    }
    void linkForm()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(mx::linkForm(path), expected);
    }

    // Pick a file (or cancel), with the caret or a selection: the snippet goes
    // in around the path, the dialog was asked as designed and is emptied.
    void pickedFile_data()
    {
        QTest::addColumn<const PickCommand*>("command");
        QTest::addColumn<std::optional<QString>>("chosen");
        QTest::addColumn<QString>("target");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        for (const PickCommand& command : kPickCommands) {
            const QString name = QString::fromUtf16(command.control);
            auto row = [&](const char* what, std::optional<QString> chosen, const QString& target,
                           qsizetype start, qsizetype length) {
                QTest::newRow(qPrintable(name + u' ' + QLatin1String(what)))
                    << &command << chosen << target << start << length;
            };
            row("plain path at caret", u"/home/user/page.htm"_s, u"/home/user/page.htm"_s, 4, 0);
            row("replaces a selection", u"/home/user/photo.gif"_s, u"/home/user/photo.gif"_s, 1, 4);
            row("backslash", u"/home/user/a\\b.htm"_s, u"/home/user/a%5Cb.htm"_s, 4, 0);
            row("spaces # % japanese", u"/home/user/my #1 100% 夏.htm"_s,
                u"/home/user/my %231 100%25 夏.htm"_s, 4, 0);
            row("double quote", u"/home/user/say \"hi\".htm"_s, u"/home/user/say %22hi%22.htm"_s, 4, 0);
            row("cancel", std::nullopt, u""_s, 4, 0);
        }
    }
    void pickedFile()
    {
        QFETCH(const PickCommand*, command);
        QFETCH(std::optional<QString>, chosen);
        QFETCH(QString, target);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        WindowFixture f;
        f.setText(kDoc, start, length);
        f.clipboard().contents = u"what the user had copied"_s;
        disturbDialog(f.fake.dialog);
        f.fake.dialog.answers.enqueue(chosen);

        f.trigger(QString::fromUtf16(command->control));

        QCOMPARE(f.fake.dialog.requests.size(), 1);
        const auto& request = f.fake.dialog.requests[0];
        QCOMPARE(request.mode, mx::platform::FileDialog::Mode::Open);
        QCOMPARE(request.state.filter, filterOf(command));
        QCOMPARE(request.state.folder, f.fake.dialog.startFolder());
        QCOMPARE(request.state.fileName, QString());
        QCOMPARE(f.fake.dialog.fileName(), QString());

        const QString snippet = command->snippet(target);
        QCOMPARE(snippet.size(), command->fixedLength + target.size());
        checkInserted(f, start, length, snippet);
    }

    // A pick, then a cancelled pick: the second gets the empty target, not the
    // first path, whatever the dialog was set to in between.
    void cancelAfterPick_data()
    {
        QTest::addColumn<const PickCommand*>("command");
        for (const PickCommand& command : kPickCommands)
            QTest::newRow(qPrintable(QString::fromUtf16(command.control))) << &command;
    }
    void cancelAfterPick()
    {
        QFETCH(const PickCommand*, command);
        WindowFixture f;
        f.setText(QString());
        f.fake.dialog.answers << u"/home/user/first.htm"_s << std::nullopt;
        const QString control = QString::fromUtf16(command->control);
        f.trigger(control);
        disturbDialog(f.fake.dialog);
        f.trigger(control);

        const QString first = command->snippet(u"/home/user/first.htm"_s);
        const QString second = command->snippet(QString());
        QCOMPARE(f.text().text(), first + second);
        QCOMPARE(f.fake.clipboard.sets, (QList<QString>{first, second}));
        QCOMPARE(f.fake.dialog.requests.size(), 2);
        QCOMPARE(f.fake.dialog.requests[1].state.fileName, QString());
        QCOMPARE(f.fake.dialog.requests[1].state.filter, filterOf(command));
        QCOMPARE(f.fake.dialog.requests[1].state.folder, f.fake.dialog.startFolder());
        // Two steps, one each.
        edit(f)->undo();
        QCOMPARE(f.text().text(), first);
    }

    // A clipboard another program keeps stops nothing: the snippet goes in,
    // the name is emptied, and a cancelled pick afterwards gives the empty link.
    void clipboardKeptByAnother_data()
    {
        QTest::addColumn<const PickCommand*>("command");
        for (const PickCommand& command : kPickCommands)
            QTest::newRow(qPrintable(QString::fromUtf16(command.control))) << &command;
    }
    void clipboardKeptByAnother()
    {
        QFETCH(const PickCommand*, command);
        WindowFixture f;
        f.setText(kDoc, 4, 0);
        f.fake.dialog.answers << u"/pics/a.gif"_s << std::nullopt;
        f.fake.clipboard.failSet = true;
        const QString control = QString::fromUtf16(command->control);

        f.trigger(control);
        const QString first = command->snippet(u"/pics/a.gif"_s);
        QCOMPARE(f.text().text(), kDoc.left(4) + first + kDoc.mid(4));
        QCOMPARE(f.fake.dialog.fileName(), QString());
        QVERIFY(f.fake.messages.shown.isEmpty());

        f.trigger(control);
        QCOMPARE(f.text().text(), kDoc.left(4) + first + command->snippet(QString()) + kDoc.mid(4));
    }

    void twoFrameEntriesStackUp()
    {
        WindowFixture f;
        f.setText(u"<FRAMESET ROWS=\"*,*\">\r\n\r\n</FRAMESET>\r\n"_s, 23, 0);
        f.fake.dialog.answers << u"/site/menu.htm"_s << u"/site/main.htm"_s;
        f.trigger(u"FILES_fr"_s);
        f.trigger(u"FILES_fr"_s);
        QCOMPARE(f.text().text(), u"<FRAMESET ROWS=\"*,*\">\r\n"
                                  u"<FRAME SRC=\"/site/menu.htm\" NAME=\"\" RESIZE>\r\n"
                                  u"<FRAME SRC=\"/site/main.htm\" NAME=\"\" RESIZE>\r\n"
                                  u"\r\n</FRAMESET>\r\n"_s);
    }

    void url_data()
    {
        QTest::addColumn<std::optional<QString>>("typed"); // nullopt: Cancel
        QTest::addColumn<QString>("address");
        QTest::newRow("no scheme") << std::optional(u"www.example.jp/a.htm"_s)
                                   << u"http://www.example.jp/a.htm"_s;
        QTest::newRow("scheme kept") << std::optional(u"http://example.jp/"_s) << u"http://example.jp/"_s;
        QTest::newRow("scheme alone") << std::optional(u"http://"_s) << u"http://"_s;
        QTest::newRow("upper-case scheme")
            << std::optional(u"HTTP://example.jp"_s) << u"http://HTTP://example.jp"_s;
        QTest::newRow("https") << std::optional(u"https://example.jp"_s) << u"http://https://example.jp"_s;
        QTest::newRow("other scheme") << std::optional(u"ftp://example.jp"_s) << u"http://ftp://example.jp"_s;
        QTest::newRow("leading space") << std::optional(u" http://x"_s) << u"http:// http://x"_s;
        QTest::newRow("shorter than the scheme") << std::optional(u"http:/"_s) << u"http://http:/"_s;
        QTest::newRow("quote, #, % and japanese")
            << std::optional(u"a.jp/?q=\"x\"#日本 100%"_s) << u"http://a.jp/?q=\"x\"#日本 100%"_s;
        QTest::newRow("control characters")
            << std::optional(u"a\tb\u0001c\u007f\u0000d"_s) << u"http://a\tb\u0001c\u007f\u0000d"_s;
        QTest::newRow("OK on an empty field") << std::optional(u""_s) << u"http://"_s;
        QTest::newRow("cancel") << std::optional<QString>() << u"http://"_s;
        const QString longAddress = u"example.jp/"_s + QString(100000, u'x');
        QTest::newRow("very long") << std::optional(longAddress) << u"http://"_s + longAddress;
    }
    void url()
    {
        QFETCH(std::optional<QString>, typed);
        QFETCH(QString, address);
        WindowFixture f;
        f.setText(kDoc, 1, 4);
        if (typed)
            f.fake.input.answers.enqueue(*typed);
        f.trigger(u"URL"_s);

        QCOMPARE(f.fake.input.asked.size(), 1);
        QCOMPARE(f.fake.input.asked[0].prompt, u"アドレス(http://)"_s);
        QCOMPARE(f.fake.input.asked[0].title, u"アドレス入力"_s);
        QCOMPARE(f.fake.input.asked[0].initial, QString());
        const QString snippet = u"<A HREF=\""_s + address + u"\">   </A>"_s;
        QCOMPARE(snippet.size(), 18 + address.size());
        checkInserted(f, 1, 4, snippet);
    }

    void anchors_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        const std::tuple<const char16_t*, QString, qsizetype> anchors[] = {
            {u"J2", u"<A HREF=\"#\">   </A>"_s, 19},
            {u"J3", u"<A NAME=\"\">   </A>"_s, 18},
            {u"TO_TOP", u"<A HREF= #TOP>先頭へ</A>"_s, 21},
        };
        for (const auto& [control, snippet, size] : anchors) {
            const QString name = QString::fromUtf16(control);
            QTest::newRow(qPrintable(name + u" caret"_s))
                << name << snippet << size << qsizetype(4) << qsizetype(0);
            QTest::newRow(qPrintable(name + u" selection"_s))
                << name << snippet << size << qsizetype(1) << qsizetype(4);
        }
    }
    void anchors()
    {
        QFETCH(QString, control);
        QFETCH(QString, snippet);
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        WindowFixture f;
        f.setText(kDoc, start, length);
        f.trigger(control);
        QCOMPARE(snippet.size(), size);
        checkInserted(f, start, length, snippet);
        QVERIFY(f.fake.dialog.requests.isEmpty());
        QVERIFY(f.fake.input.asked.isEmpty());
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
