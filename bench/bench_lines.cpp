// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A minified page, the whole document on one line, beside its floor: the
// same bytes in 80-column lines, measured in the same run. Each operation is
// timed until the window has handled it and painted, ready for the next event:
// a key goes in as the keyboard sends it, then the text area is repainted.
#include "BenchServices.h"
#include "BenchUtil.h"

#include "app/MainWindow.h"
#include "core/TextArea.h"
#include "commands/Commands.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <malloc.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace mx::bench;

namespace {

// About `bytes` bytes of UTF-8 minified HTML: tags, attributes, Japanese text
// and no line end.
QString minifiedPage(qsizetype bytes)
{
    const QString chunk =
        u"<DIV CLASS=\"item\"><A HREF=\"page.html#top\">いろはにほへと ちりぬるを</A>"
        u"<SPAN STYLE=\"color:#333\">The quick brown fox jumps over the lazy dog 0123.</SPAN>"
        u"<P>わかよたれそ つねならむ うゐのおくやま けふこえて</P><BR></DIV>"_s;
    const qsizetype chunkBytes = chunk.toUtf8().size();
    QString text;
    text.reserve(bytes);
    for (qsizetype done = 0; done < bytes; done += chunkBytes)
        text += chunk;
    return text;
}

// The same characters in lines of `width`.
QString inLines(const QString& text, qsizetype width)
{
    QString out;
    out.reserve(text.size() + text.size() / width * 2 + 2);
    for (qsizetype at = 0; at < text.size(); at += width) {
        if (at > 0)
            out += u"\r\n"_s;
        out += QStringView(text).mid(at, width);
    }
    return out;
}

struct Window {
    ScriptedDialog dialog;
    PrintedMessages messages;
    mx::platform::QtPlatform qt{{.dialog = &dialog, .messages = &messages}};
    mx::MainWindow window{qt.services()};
    QPlainTextEdit* edit = window.findChild<QPlainTextEdit*>();
    mx::TextArea& text = window.textArea();

    Window()
    {
        window.show();
        edit->setFocus();
    }
    ~Window() { window.document().closing(); }

    void answered() const
    {
        QCoreApplication::sendPostedEvents();
        edit->viewport()->repaint();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& typed = {}) const
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, typed);
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, typed);
        QCoreApplication::sendEvent(edit, &release);
        answered();
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Window w;
    QTemporaryDir folder(QDir::current().filePath(u"bench-lines-XXXXXX"_s));

    // Pages: one line of so many MB, or (negative) 100 MB in lines of 1 MB.
    QList<int> pages;
    for (int i = 1; i < argc; ++i)
        if (const int n = QString::fromLocal8Bit(argv[i]).toInt(); n != 0)
            pages << n;
    if (pages.isEmpty())
        pages = {1, 5, 10, -100};

    QList<Row> rows;
    QStringList memory;
    for (const int page : pages) {
        const qsizetype mb = std::abs(page);
        // The floor holds the same characters, cut every 80 instead.
        QString longText;
        QString flat;
        if (page > 0) {
            longText = minifiedPage(mb * 1024 * 1024);
            flat = longText;
        } else {
            const QString line = minifiedPage(1024 * 1024);
            for (int i = 0; i < mb; ++i) {
                longText += (i ? u"\r\n"_s : QString()) + line;
                flat += line;
            }
        }
        const QString shortText = inLines(flat, 80);
        flat.clear();
        const QString size = page > 0 ? u"%1 MB, 1 line"_s.arg(mb) : u"%1 MB, 1 MB lines"_s.arg(mb);
        const QString longPath = folder.filePath(u"long.html"_s);
        const QString shortPath = folder.filePath(u"short.html"_s);
        for (const auto& [path, text] : {std::pair{longPath, longText}, std::pair{shortPath, shortText}}) {
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0)
                qFatal("cannot write %s", qPrintable(path));
        }
        const int runs = mb >= 100 ? 11 : 31;
        const int openRuns = mb >= 100 ? 1 : 3;
        const auto open = [&w](const QString& path) {
            return [&w, path] {
                w.dialog.answer = path;
                mx::document::openDocument(w.window.editor());
                w.answered();
            };
        };
        const auto measureBoth =
            [&](const QString& what, int n, double target, const std::function<void()>& measured,
                const std::function<void()>& prepare = {}, const std::function<void()>& restore = {}) {
                open(longPath)();
                const double longMicros = MedianMicros(n, measured, prepare, restore);
                open(shortPath)();
                const double shortMicros = MedianMicros(n, measured, prepare, restore);
                rows << Row{what, size, longMicros, shortMicros, target};
            };

        // Open and memory.
        {
            w.text.load(QString());
            w.answered();
            qint64 empty = residentBytes();
            open(longPath)();
            const qint64 longHeld = residentBytes() - empty;
            w.text.load(QString());
            w.answered();
            empty = residentBytes();
            open(shortPath)();
            const qint64 shortHeld = residentBytes() - empty;
            memory << u"%1: %2 MB held, 80-column lines %3 MB, ratio %4 (target 1.3)"_s.arg(size)
                          .arg(double(longHeld) / 1048576.0, 0, 'f', 1)
                          .arg(double(shortHeld) / 1048576.0, 0, 'f', 1)
                          .arg(double(longHeld) / double(std::max<qint64>(shortHeld, 1)), 0, 'f', 2);
            rows << Row{u"open"_s, size, MedianMicros(openRuns, open(longPath)),
                        MedianMicros(openRuns, open(shortPath)), 1.3};
        }

        const auto middle = [&w] {
            w.text.setCaret(w.text.length() / 2);
            w.answered();
        };
        const auto undo = [&w] {
            w.edit->undo();
            w.answered();
        };
        measureBoth(
            u"typed character"_s, runs, 2.0, [&w] { w.key(Qt::Key_X, Qt::NoModifier, u"x"_s); }, middle,
            undo);
        measureBoth(
            u"deletion"_s, runs, 2.0, [&w] { w.key(Qt::Key_Backspace); }, middle, undo);
        measureBoth(
            u"bold at a caret mid-line"_s, runs, 2.0,
            [&w] {
                w.window.trigger(mx::MenuId::Bold);
                w.answered();
            },
            middle, undo);
        measureBoth(
            u"caret right"_s, runs, 2.0, [&w] { w.key(Qt::Key_Right); }, middle);
        measureBoth(
            u"select right"_s, runs, 2.0, [&w] { w.key(Qt::Key_Right, Qt::ShiftModifier); }, middle);
        measureBoth(
            u"page down"_s, runs, 2.0, [&w] { w.key(Qt::Key_PageDown); }, middle);
        measureBoth(
            u"ctrl+End"_s, runs, 2.0, [&w] { w.key(Qt::Key_End, Qt::ControlModifier); },
            [&w] {
                w.text.setCaret(0);
                w.answered();
            });
        const QString pasted = minifiedPage(1024);
        measureBoth(
            u"paste 1 KB"_s, runs, 2.0, [&w] { w.key(Qt::Key_V, Qt::ControlModifier); },
            [&] {
                QGuiApplication::clipboard()->setText(pasted);
                middle();
            },
            undo);
    }
    PrintTable(u"A page on one line (floor: the same bytes in 80-column lines)"_s, rows);
    QTextStream out(stdout);
    out << "\nMemory while open\n" << memory.join(u'\n') << "\n";
    return 0;
}
