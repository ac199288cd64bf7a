// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The frameset split and the base target on large documents in the real
// window, beside the floor of one plain QTextCursor::insertText of the same
// text at the same place. Both commands must first find their tag; the target
// allows twice the floor plus what those searches cost on their own.
#include "BenchUtil.h"
#include "BenchWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

using namespace Qt::Literals::StringLiterals;
using namespace mx::bench;

namespace {

constexpr int kRuns = 15;

const QString kHead = u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n"_s;
const QString kTail = u"</BODY>\r\n</HTML>"_s;

struct Case {
    QString what;
    mx::MenuId command;
    QList<QString> searched; // what the command looks for, in order
    QString tag; // what it replaces; empty: it inserts before `at`
    QString at;
    QString inserted;
};

// The text as the widget holds it: positions in the floor are the widget's.
int widgetPosition(mx::TextArea& text, const QString& needle)
{
    return text.toWidget(text.indexOf(needle));
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

    const QString rows = u"<FRAMESET ROWS=\"*,*\">\r\n\r\n</FRAMESET>\r\n"_s;
    const QString colsOpen = u"<FRAMESET COLS=\"*,*\">\r\n\r\n\r\n"_s;
    const QString base = u"<BASE TARGET=\"\">\r\n"_s;
    const Case fresh[] = {
        // No frameset yet: the whole text is searched before the body tag is.
        {u"ROWS_fr, no frameset"_s,
         mx::MenuId::SplitRows,
         {u"</FRAMESET>"_s, u"<BODY>"_s},
         u"<BODY>"_s,
         u"<BODY>"_s,
         rows},
        {u"TARGET_fr"_s, mx::MenuId::BaseTarget, {u"</HEAD>"_s}, QString(), u"</HEAD>"_s, base},
    };
    const Case nested[] = {
        // A frameset that ends at the bottom of the text.
        {u"COLS_fr, frameset at end"_s,
         mx::MenuId::SplitColumns,
         {u"</FRAMESET>"_s},
         u"</FRAMESET>"_s,
         u"</FRAMESET>"_s,
         colsOpen},
    };

    QList<Row> table;
    for (const int mb : SizesMB(argc, argv)) {
        const QString size = QString::number(mb) + u" MB"_s;
        const QString body = MakeDocument(qsizetype(mb) * 1024 * 1024);
        const auto undo = [edit] { edit->undo(); };

        const auto measure = [&](const Case& c) {
            const double search = MedianMicros(kRuns, [&] {
                for (const QString& needle : c.searched)
                    (void)text.indexOf(needle);
            });
            const int from = widgetPosition(text, c.at);
            const int to = from + int(mx::TextArea::toWidgetText(c.tag).size());
            const double floor = MedianMicros(
                kRuns,
                [&] {
                    QTextCursor cursor(edit->document());
                    cursor.setPosition(from);
                    cursor.setPosition(to, QTextCursor::KeepAnchor);
                    cursor.insertText(mx::TextArea::toWidgetText(c.inserted));
                },
                {}, undo);
            const double command = MedianMicros(
                kRuns, [&] { window.trigger(c.command); }, {}, undo);
            table << Row{c.what, size, command, floor, 2.0 + search / floor};
            table << Row{u"  its searches alone"_s, size, search, floor, 2.0 + search / floor};
        };

        text.load(kHead + body + kTail);
        for (const Case& c : fresh)
            measure(c);
        text.load(kHead + u"<FRAMESET ROWS=\"*,*\">\r\n"_s + body + u"</FRAMESET>\r\n"_s + kTail);
        for (const Case& c : nested)
            measure(c);
    }
    PrintTable(
        u"Frame commands (floor: one QTextCursor::insertText of the same text; target: 2x floor + searches)"_s,
        table);
    return 0;
}
