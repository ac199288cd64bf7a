// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Tag commands on large documents in the real window, beside the floor of one
// plain QTextCursor::insertText of the same snippet at the same place.
#include "BenchUtil.h"
#include "BenchWindow.h"
#include "commands/Commands.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

using namespace Qt::Literals::StringLiterals;
using namespace mx::bench;

namespace {

constexpr int kRuns = 15;

double floorInsert(QPlainTextEdit* edit, mx::TextArea& text, qsizetype start, qsizetype length,
                   const QString& snippet)
{
    return MedianMicros(
        kRuns,
        [&] {
            QTextCursor cursor = edit->textCursor();
            cursor.insertText(mx::TextArea::toWidgetText(snippet));
        },
        [&] { text.select(start, length); }, [&] { edit->undo(); });
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench;
    mx::MainWindow& window = bench.window;
    QPlainTextEdit* edit = bench.edit;
    mx::TextArea& text = bench.text;

    QList<Row> rows;
    for (const int mb : SizesMB(argc, argv)) {
        const QString doc = MakeDocument(qsizetype(mb) * 1024 * 1024);
        text.load(doc);
        const QString size = QString::number(mb) + u" MB"_s;
        const qsizetype middle = doc.size() / 2;
        const qsizetype selection = 1024;
        const QString selected = doc.mid(middle, selection);
        const auto select = [&](qsizetype start, qsizetype length) {
            return [&text, start, length] { text.select(start, length); };
        };
        const auto undo = [edit] { edit->undo(); };

        const QString red = u"<FONT COLOR=#FF0000>\r\n"_s + selected + u"\r\n</FONT>"_s;
        rows << Row{u"RED, 1 KB selection"_s, size,
                    MedianMicros(
                        kRuns, [&] { window.trigger(mx::MenuId::Red); }, select(middle, selection), undo),
                    floorInsert(edit, text, middle, selection, red), 2.0};

        const qsizetype end = text.length();
        rows << Row{u"LI at the end"_s, size,
                    MedianMicros(
                        kRuns, [&] { window.trigger(mx::MenuId::ListItem); }, select(end, 0), undo),
                    floorInsert(edit, text, end, 0, u"<LI>"_s), 2.0};

        rows << Row{u"New"_s, size,
                    MedianMicros(
                        5, [&] { window.trigger(mx::MenuId::New); }, {}, undo),
                    MedianMicros(
                        5,
                        [&] {
                            QTextCursor cursor(edit->document());
                            cursor.select(QTextCursor::Document);
                            cursor.insertText(mx::TextArea::toWidgetText(u"<HTML>"_s));
                        },
                        {}, undo),
                    2.0};

        // New has taken the item away: the command itself, past its menu.
        const auto wrap = [&window] { mx::document::wrapInSkeleton(window.editor()); };
        rows << Row{u"basic tags"_s, size, MedianMicros(kRuns, wrap, {}, undo),
                    MedianMicros(
                        kRuns,
                        [&] {
                            // The least the command can do: the head at the start, the tail at the end.
                            QTextCursor cursor(edit->document());
                            cursor.beginEditBlock();
                            cursor.insertText(mx::TextArea::toWidgetText(
                                u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"_s));
                            cursor.endEditBlock();
                            cursor.movePosition(QTextCursor::End);
                            cursor.joinPreviousEditBlock();
                            cursor.insertText(
                                mx::TextArea::toWidgetText(u"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s));
                            cursor.endEditBlock();
                        },
                        {}, undo),
                    2.0};
    }
    PrintTable(u"Tag commands (floor: one QTextCursor::insertText of the same text)"_s, rows);
    return 0;
}
