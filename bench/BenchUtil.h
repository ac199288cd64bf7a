// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Small timing helpers shared by the benchmarks: documents of a given size,
// the median of repeated runs, and a table that prints the two side by side.
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace mx::bench {

// About `bytes` bytes of UTF-8: alternating Japanese and ASCII lines, CR LF ends.
inline QString MakeDocument(qsizetype bytes)
{
    const QString ascii =
        QStringLiteral("<P>The quick brown fox jumps over the lazy dog 0123456789.</P>\r\n");
    const QString japanese = QStringLiteral("<P>いろはにほへと ちりぬるを わかよたれそ つねならむ。</P>\r\n");
    const qsizetype pairBytes = ascii.toUtf8().size() + japanese.toUtf8().size();
    QString text;
    text.reserve(bytes);
    for (qsizetype done = 0; done < bytes; done += pairBytes) {
        text += ascii;
        text += japanese;
    }
    return text;
}

// Median wall time of `runs` calls of `measured`, in microseconds. `prepare`
// and `restore` run around each call, outside the clock.
inline double MedianMicros(int runs, const std::function<void()>& measured,
                           const std::function<void()>& prepare = {},
                           const std::function<void()>& restore = {})
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times << double(timer.nsecsElapsed()) / 1000.0;
        if (restore)
            restore();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Row {
    QString what;
    QString size;
    double micros;
    double floorMicros;
    double target; // at most this many times the floor
};

inline void PrintTable(const QString& title, const QList<Row>& rows)
{
    QTextStream out(stdout);
    out << "\n" << title << "\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("operation"), -28)
               .arg(QStringLiteral("doc"), 7)
               .arg(QStringLiteral("median us"), 12)
               .arg(QStringLiteral("floor us"), 12)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("target"), 7);
    for (const Row& row : rows) {
        const double ratio = row.floorMicros > 0 ? row.micros / row.floorMicros : 0;
        out << QStringLiteral("%1 %2 %3 %4 %5 %6%7\n")
                   .arg(row.what, -28)
                   .arg(row.size, 7)
                   .arg(row.micros, 12, 'f', 1)
                   .arg(row.floorMicros, 12, 'f', 1)
                   .arg(ratio, 7, 'f', 2)
                   .arg(row.target, 6, 'f', 1)
                   .arg(ratio <= row.target ? QStringLiteral("x") : QStringLiteral("x !"));
    }
    out.flush();
}

// Document sizes: 1, 10 and 100 MB unless the command line names others (in MB).
inline QList<int> SizesMB(int argc, char** argv)
{
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (const int mb = QString::fromLocal8Bit(argv[i]).toInt(); mb > 0)
            sizes << mb;
    return sizes.isEmpty() ? QList<int>{1, 10, 100} : sizes;
}

} // namespace mx::bench
