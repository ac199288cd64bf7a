// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QByteArray>
#include <QString>

namespace mx::platform {

// Whole files, read and written in one go. Failures come back as a sentence
// for the user saying why (in Japanese); an empty reason means success.
struct ReadResult {
    QByteArray bytes;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

class TextFiles {
public:
    virtual ~TextFiles() = default;
    // Refuses a file longer than limit bytes without reading it.
    virtual ReadResult read(const QString& path, qint64 limit) = 0;
    // Replaces the file's contents with bytes; returns the reason on failure.
    // The old contents stay whole until the new ones are complete, except in a
    // folder that allows no new file, where the file is written in place.
    virtual QString write(const QString& path, const QByteArray& bytes) = 0;
};

} // namespace mx::platform
