// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the file benchmarks put in place of the desktop, and how they weigh memory.
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <malloc.h>
#include <optional>
#include <unistd.h>

namespace mx::bench {

// Answers every file dialog with the file under test.
class ScriptedDialog final : public platform::FileDialog {
public:
    QString answer;
    QString startFolder() const override { return QString(); }

protected:
    std::optional<QString> run(Mode, const platform::FileDialogState&) override { return answer; }
};

// A benchmark must not stop at a modal box; it says what it would have shown.
class PrintedMessages final : public platform::MessageBox {
public:
    platform::Answer show(const QString& text, const QString&, platform::Icon, platform::Buttons) override
    {
        fprintf(stderr, "message: %s\n", qPrintable(text));
        return platform::Answer::Ok;
    }
    std::optional<platform::Answer> awaitShowingAnswer() override { return std::nullopt; }
};

// Resident memory now, with freed memory handed back first.
inline qint64 residentBytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

} // namespace mx::bench
