// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Open and Save of large documents in the real window, UTF-8 and Shift_JIS,
// beside their floors: for Open, reading the bytes, decoding them with the
// right decoder, turning CR LF into the widget's line ends (one linear pass)
// and setPlainText; for Save, one bare QSaveFile write of the encoded bytes.
// Also the memory the open document holds, per byte of file.
#include "BenchServices.h"
#include "BenchUtil.h"

#include "app/MainWindow.h"
#include "core/TextArea.h"
#include "commands/Commands.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <malloc.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace mx::bench;

namespace {

// Medians of the command and its floor, run by turns so that whatever else
// the machine is doing weighs on both alike.
std::pair<double, double> byTurns(int runs, const std::function<void()>& command,
                                  const std::function<void()>& floor)
{
    QList<double> commandTimes, floorTimes;
    for (int i = 0; i < runs; ++i) {
        commandTimes << MedianMicros(1, command);
        floorTimes << MedianMicros(1, floor);
    }
    std::sort(commandTimes.begin(), commandTimes.end());
    std::sort(floorTimes.begin(), floorTimes.end());
    return {commandTimes[runs / 2], floorTimes[runs / 2]};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDialog dialog;
    PrintedMessages messages;
    mx::platform::QtPlatform qt({.dialog = &dialog, .messages = &messages});
    mx::MainWindow window(qt.services());
    window.show();
    QPlainTextEdit* edit = window.findChild<QPlainTextEdit*>();
    mx::Editor& editor = window.editor();

    QTemporaryDir folder(QDir::current().filePath(u"bench-files-XXXXXX"_s));
    const QList<int> sizes = argc > 1 ? SizesMB(argc, argv) : QList<int>{10, 100};
    const char* const encodings[] = {"UTF-8", "windows-31j"};

    QList<Row> table;
    QStringList memory;
    for (const int mb : sizes) {
        const QString doc = MakeDocument(qsizetype(mb) * 1024 * 1024);
        const int runs = mb >= 100 ? 3 : 5;
        for (const char* encoding : encodings) {
            const QString label =
                QString::fromLatin1(encoding == QByteArrayView("UTF-8") ? "UTF-8" : "Shift_JIS");
            QStringEncoder encoder(encoding);
            const QByteArray bytes = encoder(doc);
            const QString path = folder.filePath(label + u".html"_s);
            {
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                    qFatal("cannot write %s", qPrintable(path));
            }
            const QString size = QString::number(mb) + u" MB"_s;
            dialog.answer = path;

            // Memory: an empty window, then the same window with the file
            // open; the same for the floor's own setPlainText.
            const auto perByte = [&](qint64 held) {
                return QString::number(double(held) / double(bytes.size()), 'f', 2);
            };
            // Once before, so that the heap has grown to its working size.
            mx::document::openDocument(editor);
            window.textArea().load(QString());
            qint64 empty = residentBytes();
            mx::document::openDocument(editor);
            const qint64 open = residentBytes() - empty;
            window.textArea().load(QString());
            empty = residentBytes();
            {
                QStringDecoder decoder(encoding);
                edit->setPlainText(mx::TextArea::toWidgetText(decoder(readAll(path))));
            }
            const qint64 floorOpen = residentBytes() - empty;
            memory << u"%1 %2: %3 bytes held per file byte, floor %4 (target at most 4)"_s.arg(
                label, size, perByte(open), perByte(floorOpen));

            const auto [openMicros, openFloor] = byTurns(
                runs, [&] { mx::document::openDocument(editor); },
                [&] {
                    QStringDecoder decoder(encoding);
                    edit->setPlainText(mx::TextArea::toWidgetText(decoder(readAll(path))));
                });
            table << Row{u"open "_s + label, size, openMicros, openFloor, 1.3};

            mx::document::openDocument(editor); // the document under test, its file current
            const auto [saveMicros, saveFloor] = byTurns(
                runs, [&] { mx::document::saveDocument(editor); },
                [&] {
                    QSaveFile out(path);
                    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
                        qFatal("cannot save %s", qPrintable(path));
                });
            table << Row{u"save "_s + label, size, saveMicros, saveFloor, 1.2};
            if (readAll(path) != bytes)
                qFatal("the saved file differs from the opened one: %s", qPrintable(path));
        }
    }
    PrintTable(
        u"Open and Save (floor: read + decode + setPlainText; one QSaveFile write of the encoded bytes)"_s,
        table);
    QTextStream out(stdout);
    out << "\nMemory while open\n" << memory.join(u'\n') << "\n";
    window.document().closing();
    return 0;
}
