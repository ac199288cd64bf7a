// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "Platform.h"
#include "TextFiles.h"

#include <QStringList>

#include <memory>

namespace mx::platform {

class FileDialog;
class MessageBox;

// Services that stand in for the real ones, for a run that must not stop at
// a modal box.
struct StandIns {
    FileDialog* dialog = nullptr;
    MessageBox* messages = nullptr;
};

// The desktop's real services, built and owned together: the one place that
// makes them.
class QtPlatform {
public:
    explicit QtPlatform(const StandIns& standIns = {});
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    Platform& services();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Whole files through QSaveFile, failures as a Japanese reason. The tests run
// it on their own temporary folders.
class QtTextFiles final : public TextFiles {
public:
    ReadResult read(const QString& path, qint64 limit) override;
    QString write(const QString& path, const QByteArray& bytes) override;
};

// Translates the "description|pattern|..." list into Qt's name filters, one per
// pair, in order. "*.*" means every file here, as it does where the list came from.
QStringList nameFilters(const QString& filter);

} // namespace mx::platform
