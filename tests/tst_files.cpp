// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Open, Save, Save As and show in browser in the real window, on real files
// in a temporary folder, and the file layer where the system says no.
#include "support/Designed.h"
#include "support/WindowFixture.h"

#include "core/FileFormat.h"
#include "commands/Commands.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace mx::test;
using mx::MenuId;
using mx::platform::Icon;

namespace {

const QByteArray kSjisPage = "<HTML>\r\n<P>\x93\xFA\x96\x7B\x8C\xEA</P>\r\n</HTML>\r\n"_ba;

struct Folder {
    QTemporaryDir dir;

    Folder() { QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString put(const QString& name, const QByteArray& bytes) const
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot set up %s", qPrintable(file));
        return file;
    }
    static QByteArray get(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }
};

void open(WindowFixture& f, const QString& path)
{
    f.fake.dialog.answers.enqueue(path);
    mx::document::openDocument(f.window->editor());
}

QString enabledItems(WindowFixture& f)
{
    QStringList on;
    const std::pair<MenuId, const char16_t*> items[] = {{MenuId::Save, u"F3"},
                                                        {MenuId::SaveAs, u"F4"},
                                                        {MenuId::TagsMenu, u"M2"},
                                                        {MenuId::ShowInBrowser, u"IE"},
                                                        {MenuId::BasicTags, u"BASE"}};
    for (const auto& [item, name] : items)
        if (f.document().isEnabled(item))
            on << QString::fromUtf16(name);
    return on.join(u' ');
}

// A message that names the file and gives a reason.
bool saysWhy(const ShownMessage& message, const QString& path, Icon icon)
{
    return message.icon == icon && message.title == u"Marquetrix"_s && message.text.contains(path)
           && message.text.count(u'\n') >= 2;
}

// The real file layer's Write as an ordinary user would run it: as root the
// permission bits would not stop anything.
std::optional<QString> writeAsUser(const QString& path, const QByteArray& bytes)
{
    if (geteuid() != 0)
        return mx::platform::QtTextFiles().write(path, bytes);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const QByteArray reason = mx::platform::QtTextFiles().write(path, bytes).toUtf8();
        const bool sent = write(pipeFds[1], reason.constData(), size_t(reason.size())) == reason.size();
        _exit(sent ? 0 : 3);
    }
    close(pipeFds[1]);
    QByteArray reason;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return QString::fromUtf8(reason);
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openAndSaveGiveTheFileBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Shift_JIS, Japanese name with a space")
            << u"日本語 ページ.html"_s << kSjisPage << u"<HTML>\r\n<P>日本語</P>\r\n</HTML>\r\n"_s;
        QTest::newRow("UTF-8 LF text") << u"my memo.txt"_s << "a\n\xE3\x81\x82\n"_ba << u"a\r\nあ\r\n"_s;
        QTest::newRow("EUC-JP declared")
            << u"euc.htm"_s << "<meta charset=EUC-JP>\n\xC6\xFC\n"_ba << u"<meta charset=EUC-JP>\r\n日\r\n"_s;
        QTest::newRow("no final line end") << u"end.html"_s << "a\r\nb"_ba << u"a\r\nb"_s;
        QTest::newRow("empty") << u"empty.html"_s << QByteArray() << QString();
        QTest::newRow("UTF-8 with mark, CR") << u"mark.html"_s << "\xEF\xBB\xBFx\ry\r"_ba << u"x\r\ny\r\n"_s;
        const QString unseen = u"<P>\u00A0\u2028\uFDCF\uFDD2\uFEFF\uFFFC\u200D\u0301\u000B</P>\r\n"_s;
        QTest::newRow("characters near those refused") << u"unseen.html"_s << unseen.toUtf8() << unseen;
        // Shown in pieces, saved as the one line it is.
        const QString minified = u"<P>日本語</P>"_s.repeated(2000);
        QTest::newRow("a minified page on one line")
            << u"min.html"_s << (u"<HTML>\r\n"_s + minified + u"\r\n"_s).toUtf8()
            << u"<HTML>\r\n"_s + minified + u"\r\n"_s;
    }

    // Each open and save of an unchanged file used to add an empty line.
    void openAndSaveGiveTheFileBack()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        Folder folder;
        const QString path = folder.put(name, bytes);
        WindowFixture f;
        for (int cycle = 0; cycle < 3; ++cycle) {
            open(f, path);
            QCOMPARE(f.text().text(), text);
            QCOMPARE(f.window->windowTitle(), u"Marquetrix-"_s + path);
            QVERIFY(f.document().isModified());
            f.trigger(u"F3"_s);
            QVERIFY(!f.document().isModified());
            QCOMPARE(Folder::get(path), bytes);
        }
        QVERIFY(f.fake.messages.shown.isEmpty());
        QCOMPARE(f.fake.dialog.requests.size(), 3); // Save asked for no name
    }

    void dialogAsDesigned()
    {
        Folder folder;
        const QString page = folder.put(u"page.html"_s, "x"_ba);
        WindowFixture f;
        f.fake.dialog.leave({u"left over"_s, u"/elsewhere"_s, {u"x|*.x"_s, 0}});
        open(f, page);
        mx::document::saveDocumentAs(f.window->editor()); // cancelled
        QCOMPARE(f.fake.dialog.requests[0].state.filter, designedFilter(u"F2"_s));
        QCOMPARE(f.fake.dialog.requests[1].state.filter, designedFilter(u"F4"_s));
        for (const auto& request : f.fake.dialog.requests)
            QCOMPARE(request.state.folder, f.fake.dialog.startFolder());
        QCOMPARE(f.fake.dialog.requests[0].mode, mx::platform::FileDialog::Mode::Open);
        QCOMPARE(f.fake.dialog.requests[0].state.fileName, u"left over"_s);
        QCOMPARE(f.fake.dialog.requests[1].mode, mx::platform::FileDialog::Mode::Save);
        QCOMPARE(f.fake.dialog.requests[1].state.fileName, QString()); // emptied after the read

        // A failed Open keeps the name for another try.
        open(f, folder.path(u"gone.html"_s));
        QCOMPARE(f.fake.dialog.fileName(), folder.path(u"gone.html"_s));
    }

    // What the dialog lists under the pair it opens on. Names here are
    // case-sensitive, and a page saved as INDEX.HTM is still a page.
    void dialogListsFiles_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        QTest::newRow("Open, page") << u"F2"_s << u"index.htm"_s << true;
        QTest::newRow("Open, upper-case page") << u"F2"_s << u"INDEX.HTM"_s << true;
        QTest::newRow("Open, not the selected pair") << u"F2"_s << u"index.html"_s << false;
        QTest::newRow("Save As, upper-case page") << u"F4"_s << u"INDEX.HTM"_s << true;
        QTest::newRow("frame entry, upper-case page") << u"FILES_fr"_s << u"MENU.HTM"_s << true;
        QTest::newRow("frame entry, text") << u"FILES_fr"_s << u"memo.txt"_s << false;
        QTest::newRow("link, any file") << u"J1"_s << u"ANY.THING"_s << true;
        QTest::newRow("image, any file") << u"T2"_s << u"photo"_s << true;
    }
    void dialogListsFiles()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(bool, listed);
        WindowFixture f;
        f.trigger(u"F1"_s); // every command in reach
        f.trigger(command); // cancelled
        QCOMPARE(f.fake.dialog.requests.size(), 1);
        const mx::platform::FileFilter& filter = f.fake.dialog.requests[0].state.filter;
        // Qt's form of a pair: "description (pattern pattern ...)".
        const QString shown = mx::platform::nameFilters(filter.pairs).value(filter.selected);
        const QStringList patterns = shown.mid(shown.lastIndexOf(u'(') + 1).chopped(1).split(u' ');
        const bool matched = std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                .match(name)
                .hasMatch();
        });
        QCOMPARE(matched, listed);
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("hasFile"); // before.html is the current file
        QTest::addColumn<QString>("answer"); // the name chosen; empty: Cancel
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("modifiedBefore");
        QTest::addColumn<QString>("caption"); // the file in it afterwards
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("on"); // enabled afterwards; before, BASE alone
        QTest::addColumn<int>("messages");

        QTest::newRow("Open, html read") << u"F2"_s << true << u"page.html"_s << false << false
                                         << u"page.html"_s << true << u"F3 F4 M2 IE"_s << 0;
        QTest::newRow("Open, txt read") << u"F2"_s << false << u"memo.txt"_s << false << false
                                        << u"memo.txt"_s << true << u"F3 F4 M2 IE BASE"_s << 0;
        QTest::newRow("Open, TXT read") << u"F2"_s << false << u"MEMO.TXT"_s << false << false
                                        << u"MEMO.TXT"_s << true << u"F3 F4 M2 IE"_s << 0;
        QTest::newRow("Open, cancelled") << u"F2"_s << true << QString() << false << false << u"before.html"_s
                                         << false << u"F3 F4 M2 IE BASE"_s << 0;
        QTest::newRow("Open, failed") << u"F2"_s << true << u"missing.html"_s << false << false
                                      << u"before.html"_s << false << u"F3 F4 M2 IE BASE"_s << 1;
        QTest::newRow("Save, written")
            << u"F3"_s << true << QString() << false << true << u"before.html"_s << false << u"BASE"_s << 0;
        QTest::newRow("Save, failed")
            << u"F3"_s << true << QString() << true << true << u"before.html"_s << true << u"BASE"_s << 1;
        QTest::newRow("Save, no file, written") << u"F3"_s << false << u"new.html"_s << false << true
                                                << u"new.html"_s << false << u"F3 F4 M2 BASE"_s << 0;
        QTest::newRow("Save, no file, cancelled")
            << u"F3"_s << false << QString() << false << true << QString() << true << u"F3 F4 M2 BASE"_s << 0;
        QTest::newRow("Save As, written") << u"F4"_s << true << u"new.html"_s << false << true
                                          << u"new.html"_s << false << u"F3 F4 M2 BASE"_s << 0;
        QTest::newRow("Save As, over a file") << u"F4"_s << false << u"page.html"_s << false << true
                                              << u"page.html"_s << false << u"F3 F4 M2 BASE"_s << 0;
        QTest::newRow("Save As, cancelled") << u"F4"_s << true << QString() << false << true
                                            << u"before.html"_s << true << u"F3 F4 M2 BASE"_s << 0;
        QTest::newRow("Save As, failed") << u"F4"_s << true << u"no folder/new.html"_s << false << true
                                         << u"before.html"_s << true << u"F3 F4 M2 BASE"_s << 1;
    }

    // Enabling, caption and flag after each outcome; no question anywhere.
    void outcomes()
    {
        QFETCH(QString, command);
        QFETCH(bool, hasFile);
        QFETCH(QString, answer);
        QFETCH(bool, writeFails);
        QFETCH(bool, modifiedBefore);
        QFETCH(QString, caption);
        QFETCH(bool, modified);
        QFETCH(QString, on);
        QFETCH(int, messages);

        Folder folder;
        folder.put(u"before.html"_s, "before\r\n"_ba);
        folder.put(u"page.html"_s, "page\r\n"_ba);
        folder.put(u"memo.txt"_s, "memo\r\n"_ba);
        folder.put(u"MEMO.TXT"_s, "MEMO\r\n"_ba);
        WindowFixture f;
        if (hasFile)
            f.document().written(folder.path(u"before.html"_s));
        f.text().setText(u"typed"_s);
        f.document().started(); // the menu items as at start-up, the text modified
        if (!modifiedBefore)
            f.markSaved();
        if (!answer.isEmpty())
            f.fake.dialog.answers.enqueue(folder.path(answer));
        if (writeFails)
            f.fake.files.failWrite = u"書き込めません。"_s;

        mx::Editor& editor = f.window->editor();
        if (command == u"F2")
            mx::document::openDocument(editor);
        else if (command == u"F3")
            mx::document::saveDocument(editor);
        else
            mx::document::saveDocumentAs(editor);

        QCOMPARE(f.window->windowTitle(),
                 caption.isEmpty() ? u"Marquetrix"_s : u"Marquetrix-"_s + folder.path(caption));
        QCOMPARE(f.document().isModified(), modified);
        // The desktop holds a logout back exactly while there is something to lose.
        QCOMPARE(f.fake.logoutInhibitor.inhibited(), modified);
        QCOMPARE(enabledItems(f), on);
        QCOMPARE(f.fake.messages.shown.size(), messages);
        if (messages)
            QVERIFY(f.fake.messages.shown[0].icon == Icon::Critical);
        if (command != u"F2" && !caption.isEmpty() && !modified)
            QCOMPARE(Folder::get(folder.path(caption)), "typed\r\n"_ba);
        QVERIFY(!f.text().isBusy());
    }

    // Save, or the preview, after a cancelled Save As used to clear the flag,
    // and the next close dropped the text without a question.
    void cancelledSaveAsKeepsTheQuestion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << u"F3"_s;
        QTest::newRow("show in browser") << u"IE"_s;
    }

    void cancelledSaveAsKeepsTheQuestion()
    {
        QFETCH(QString, command);
        WindowFixture f;
        f.trigger(u"F1"_s);
        f.trigger(command); // the dialog is cancelled
        QCOMPARE(f.fake.dialog.requests.size(), 1);
        QVERIFY(f.document().isModified());
        QVERIFY(f.fake.browser.shown.isEmpty());
        f.fake.messages.answers.enqueue(mx::platform::Answer::No);
        QVERIFY(!f.window->close());
        QCOMPARE(f.fake.messages.shown.last().text, u"テキストが変更されています。終了しますか。"_s);
    }

    void failedOpenChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("failRead");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"missing.html"_s << QString() << u"見つかりません"_s;
        QTest::newRow("a folder") << u"folder.html"_s << QString() << u"フォルダー"_s;
        QTest::newRow("binary") << u"picture.html"_s << QString() << u"バイナリ"_s;
        QTest::newRow("too large") << u"huge.html"_s << QString() << u"大きすぎます"_s;
        QTest::newRow("not readable")
            << u"page.html"_s << u"読み取りの権限がありません。"_s << u"読み取りの権限"_s;
        // The text area would give these back as line ends.
        QTest::newRow("paragraph separator")
            << u"separator.html"_s << QString()
            << u"2 行目の「段落区切り」(U+2029) は本文に入れると改行に変わってしまう文字です。"_s;
        QTest::newRow("U+FDD0") << u"fdd0.html"_s << QString() << u"3 行目の「非文字」(U+FDD0)"_s;
        QTest::newRow("U+FDD1, UTF-16") << u"fdd1.html"_s << QString() << u"1 行目の「非文字」(U+FDD1)"_s;
    }

    // Open used to empty the text before reading; a failed read left an
    // empty text under the old caption, ready to be saved over the old file.
    void failedOpenChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, failRead);
        QFETCH(QString, reason);
        Folder folder;
        const QString before = folder.put(u"before.html"_s, "before\n"_ba);
        folder.put(u"page.html"_s, "page\r\n"_ba);
        folder.put(u"picture.html"_s, "GIF89a\x01\x00\x01\x00\x00\xFF"_ba);
        folder.put(u"separator.html"_s, u"<P>a</P>\r\n<P>b\u2029c</P>\r\n"_s.toUtf8());
        folder.put(u"fdd0.html"_s, "a\nb\n\xEF\xB7\x90\n"_ba);
        folder.put(u"fdd1.html"_s, "\xFF\xFE\xD1\xFD\r\x00\n\x00"_ba);
        QDir().mkpath(folder.path(u"folder.html"_s));
        QFile huge(folder.put(u"huge.html"_s, QByteArray()));
        QVERIFY(huge.resize(mx::kMaxFileBytes + 1)); // sparse: nothing is written

        WindowFixture f;
        open(f, before);
        f.text().setText(u"edited\r\n"_s);
        f.markSaved();
        f.fake.files.failRead = failRead;
        const mx::FileFormat format = f.document().fileFormat();

        open(f, folder.path(name));
        QCOMPARE(f.text().text(), u"edited\r\n"_s);
        QCOMPARE(f.document().currentFile(), before);
        QVERIFY(!f.document().isModified());
        QVERIFY(f.document().fileFormat() == format);
        QVERIFY(!f.text().isBusy());
        QCOMPARE(f.fake.messages.shown.size(), 1);
        QVERIFY(saysWhy(f.fake.messages.shown[0], folder.path(name), Icon::Critical));
        QVERIFY2(f.fake.messages.shown[0].text.contains(reason), qPrintable(f.fake.messages.shown[0].text));
        // And Save still writes the user's text, in the old file's style.
        f.fake.files.failRead.clear();
        f.trigger(u"F3"_s);
        QCOMPARE(Folder::get(before), "edited\n"_ba);
    }

    void busyWhileReading()
    {
        Folder folder;
        const QString page = folder.put(u"page.html"_s, "x"_ba);
        WindowFixture f;
        QList<bool> busy;
        f.fake.files.duringRead = [&] { busy << f.text().isBusy(); };
        open(f, page);
        f.fake.files.failRead = u"だめです。"_s;
        open(f, page);
        QCOMPARE(busy, (QList<bool>{true, true}));
        QVERIFY(!f.text().isBusy());
    }

    void undecidedEncodingWarnsAndKeepsTheBytes()
    {
        Folder folder;
        const QByteArray bytes = "\xE3\x81\x82\r\n\x93\xFA\x96\x7B\x8C\xEA\r\n"_ba;
        const QString path = folder.put(u"mixed.html"_s, bytes);
        WindowFixture f;
        open(f, path);
        QCOMPARE(f.document().currentFile(), path);
        QCOMPARE(f.fake.messages.shown.size(), 1);
        QCOMPARE(f.fake.messages.shown[0].icon, Icon::Warning);
        QVERIFY(f.fake.messages.shown[0].text.contains(u"ISO-8859-1"_s));
        f.trigger(u"F3"_s);
        QCOMPARE(Folder::get(path), bytes);
    }

    void unencodableCharacterStopsTheSave()
    {
        Folder folder;
        const QString path = folder.put(u"sjis.html"_s, kSjisPage);
        WindowFixture f;
        open(f, path);
        f.text().setCaret(f.text().indexOf(u"</P>"_s));
        f.text().replaceSelection(u"\u301C"_s); // WAVE DASH: Windows Japanese has only U+FF5E
        f.trigger(u"F3"_s);
        QCOMPARE(Folder::get(path), kSjisPage);
        QVERIFY(f.document().isModified());
        QCOMPARE(f.fake.messages.shown.size(), 1);
        const ShownMessage& message = f.fake.messages.shown[0];
        QVERIFY(saysWhy(message, path, Icon::Warning));
        QVERIFY2(message.text.contains(u"2 行目の「\u301C」(U+301C) は Shift_JIS では書けない文字です"_s),
                 qPrintable(message.text));
    }

    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("tmpfs");
        QTest::newRow("small tmpfs") << true;
        QTest::newRow("file size limit") << false;
    }

    // Writing used to empty the file first: a full disk left it truncated.
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(bool, tmpfs);
        Folder folder;
        const QString disk = folder.path(u"disk"_s);
        QDir().mkpath(disk);
        if (tmpfs && ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("This machine does not let the tests mount a tmpfs; the file size limit stands in.");
        const auto unmount = qScopeGuard([&] {
            if (tmpfs)
                ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
        });
        const QByteArray old = "<HTML>old</HTML>\r\n"_ba;
        const QString path = folder.put(u"disk/page.html"_s, old);

        WindowFixture f;
        open(f, path);
        f.text().setText(QString(u"あいうえお\r\n"_s).repeated(20000)); // 340 KB in UTF-8
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (!tmpfs) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 64 * 1024;
            QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        }
        f.trigger(u"F3"_s);
        if (!tmpfs)
            setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(Folder::get(path), old);
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList{u"page.html"_s});
        QVERIFY(f.document().isModified());
        QCOMPARE(f.fake.messages.shown.size(), 1);
        QVERIFY(saysWhy(f.fake.messages.shown[0], path, Icon::Critical));
        QVERIFY(f.fake.messages.shown[0].text.contains(tmpfs ? u"空き容量"_s : u"大きすぎて"_s));
    }

    void saveThroughSymlinkKeepsLinkAndMode()
    {
        Folder folder;
        const QString target = folder.put(u"real/page.html"_s, "old\r\n"_ba);
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                  | QFileDevice::ReadGroup));
        const QString link = folder.path(u"link.html"_s);
        QVERIFY(QFile::link(target, link));
        WindowFixture f;
        open(f, link);
        f.text().setText(u"new\r\n"_s);
        f.trigger(u"F3"_s);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Folder::get(target), "new\r\n"_ba);
        QCOMPARE(QFileInfo(target).permissions() & 0x0777, QFileDevice::Permissions(0x0640));
    }

    void vanishedFile()
    {
        Folder folder;
        const QString path = folder.put(u"sub/page.html"_s, "old\r\n"_ba);
        WindowFixture f;
        open(f, path);
        f.text().setText(u"kept\r\n"_s);
        QVERIFY(QFile::remove(path));
        f.trigger(u"F3"_s); // the folder is still there: the file is written anew
        QCOMPARE(Folder::get(path), "kept\r\n"_ba);
        QVERIFY(!f.document().isModified());

        f.text().setText(u"still kept\r\n"_s);
        QVERIFY(QDir(folder.path(u"sub"_s)).removeRecursively());
        f.trigger(u"F3"_s);
        QVERIFY(f.document().isModified());
        QCOMPARE(f.text().text(), u"still kept\r\n"_s);
        QCOMPARE(f.fake.messages.shown.size(), 1);
        QVERIFY(f.fake.messages.shown[0].text.contains(u"フォルダーが見つかりません"_s));
    }

    void writeWhereTheSystemSaysNo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: written
        QTest::newRow("new file in a read-only folder") << u"ro/new.html"_s << u"権限がありません"_s;
        QTest::newRow("own file in a read-only folder, in place") << u"ro/own.html"_s << QString();
        QTest::newRow("someone else's file") << u"ro/theirs.html"_s << u"書き込みの権限がありません"_s;
        QTest::newRow("read-only file") << u"rw/locked.html"_s << u"読み取り専用"_s;
        QTest::newRow("own file in an open folder") << u"rw/own.html"_s << QString();
    }

    void writeWhereTheSystemSaysNo()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        Folder folder;
        const QByteArray old = "old\r\n"_ba;
        for (const QString& file :
             {u"ro/own.html"_s, u"ro/theirs.html"_s, u"rw/locked.html"_s, u"rw/own.html"_s})
            folder.put(file, old);
        const auto mode = [](int bits) { return QFileDevice::Permissions(bits); };
        QVERIFY(QFile::setPermissions(folder.path(u"ro"_s), mode(0x5555)));
        QVERIFY(QFile::setPermissions(folder.path(u"rw"_s), mode(0x7777)));
        QVERIFY(QFile::setPermissions(folder.path(u"rw/locked.html"_s), mode(0x4444)));
        if (geteuid() == 0) {
            for (const QString& file : {u"ro/own.html"_s, u"rw/locked.html"_s, u"rw/own.html"_s})
                QVERIFY(chown(QFile::encodeName(folder.path(file)).constData(), 65534, 65534) == 0);
        } else if (name == u"ro/theirs.html") {
            QSKIP("Only root can give a file to someone else.");
        }
        const std::optional<QString> result = writeAsUser(folder.path(name), "new\r\n"_ba);
        QVERIFY2(result, "could not run the write as an ordinary user");
        if (reason.isEmpty()) {
            QCOMPARE(*result, QString());
            QCOMPARE(Folder::get(folder.path(name)), "new\r\n"_ba);
        } else {
            QVERIFY2(result->contains(reason), qPrintable(*result));
            QCOMPARE(Folder::get(folder.path(name)),
                     QFileInfo::exists(folder.path(name)) ? old : "<missing>"_ba);
        }
        QCOMPARE(QDir(folder.path(u"ro"_s)).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QFile::setPermissions(folder.path(u"ro"_s), mode(0x7755)); // for the clean-up
    }

    // A path is shown as it is, "[*]" included; any path counts as a file.
    void captionShowsThePathAsItIs()
    {
        Folder folder;
        const QString path = folder.path(u"[*] a.html"_s);
        WindowFixture f;
        f.trigger(u"F1"_s);
        f.fake.dialog.answers.enqueue(path);
        f.trigger(u"F4"_s);
        QCOMPARE(f.document().caption(), u"Marquetrix-"_s + path);
        QCOMPARE(f.window->windowHandle()->title(), u"Marquetrix-"_s + path);

        f.document().written(u"/a.htm"_s); // shorter than the old rule allowed
        QCOMPARE(f.window->windowHandle()->title(), u"Marquetrix-/a.htm"_s);
        f.fake.files.failWrite = u"x"_s;
        f.trigger(u"F3"_s);
        QCOMPARE(f.fake.files.writes.last(), u"/a.htm"_s);
        QCOMPARE(f.fake.dialog.requests.size(), 1);
    }

    void preview_data()
    {
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<QString>("answer"); // for Save As; empty: Cancel
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("browserFails");
        QTest::addColumn<QString>("shown"); // the file the browser got; empty: none
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("messages");
        QTest::newRow("with a file") << true << QString() << false << false << u"page.html"_s << false << 0;
        QTest::newRow("without, saved as")
            << false << u"new.html"_s << false << false << u"new.html"_s << false << 0;
        QTest::newRow("without, cancelled") << false << QString() << false << false << QString() << true << 0;
        QTest::newRow("write fails") << true << QString() << true << false << QString() << true << 1;
        QTest::newRow("no browser") << true << QString() << false << true << u"page.html"_s << false << 1;
    }

    void preview()
    {
        QFETCH(bool, hasFile);
        QFETCH(QString, answer);
        QFETCH(bool, writeFails);
        QFETCH(bool, browserFails);
        QFETCH(QString, shown);
        QFETCH(bool, modified);
        QFETCH(int, messages);
        Folder folder;
        WindowFixture f;
        f.trigger(u"F1"_s);
        if (hasFile) {
            f.document().written(folder.put(u"page.html"_s, "old"_ba));
            f.document().changed();
        }
        if (!answer.isEmpty())
            f.fake.dialog.answers.enqueue(folder.path(answer));
        if (writeFails)
            f.fake.files.failWrite = u"書き込めません。"_s;
        f.fake.browser.fail = browserFails;

        f.trigger(u"IE"_s);
        QCOMPARE(f.fake.browser.shown,
                 shown.isEmpty() ? QList<QString>() : QList<QString>{folder.path(shown)});
        QCOMPARE(f.document().isModified(), modified);
        QCOMPARE(f.fake.messages.shown.size(), messages);
        if (!shown.isEmpty())
            QVERIFY(Folder::get(folder.path(shown)).startsWith("<HTML>"));
        if (browserFails)
            QVERIFY(f.fake.messages.shown[0].text.startsWith(u"ブラウザを起動できませんでした。"_s));
        // Each use is a new request to the desktop.
        if (!shown.isEmpty() && !browserFails) {
            f.trigger(u"IE"_s);
            QCOMPARE(f.fake.browser.shown.size(), 2);
        }
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
