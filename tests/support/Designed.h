// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The design as data files that the desktop tier may read too: the program's
// own menu tree (":/menu-tree.tsv") and tests/data/*.tsv. One row a line,
// fields apart by tabs, "#" lines left out.
#include "platform/FileDialog.h"

#include <QFile>
#include <QList>
#include <QStringList>

namespace mx::test {

inline QList<QStringList> designedRows(const QString& name, qsizetype fields)
{
    QList<QStringList> rows;
    QFile file(name.startsWith(u':') ? name : QStringLiteral(MX_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (line.startsWith(u'#') || line.isEmpty())
            continue;
        const QStringList row = line.split(u'\t');
        if (row.size() != fields)
            qFatal("bad row in %s: %s", qPrintable(name), qPrintable(line));
        rows << row;
    }
    return rows;
}

// The list the command's file dialog offers, as designed.
inline platform::FileFilter designedFilter(const QString& control)
{
    static const QList<QStringList> rows = designedRows(QStringLiteral("file-filters.tsv"), 3);
    for (const QStringList& row : rows)
        if (row[0] == control)
            return {row[2], row[1].toInt()};
    qFatal("no designed filter for %s", qPrintable(control));
}

} // namespace mx::test
