// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>
#include <optional>

namespace mx::platform {

// The window's one file dialog. Its settings last from one use to the next,
// and Cancel leaves fileName as it was: commands rely on both.
//
// filter is "description|pattern|description|pattern|...", filterIndex counts
// the pairs from 1.
class FileDialog {
public:
    virtual ~FileDialog() = default;

    QString filter;
    int filterIndex = 0;
    QString initialFolder;
    QString fileName;

    // Both return true when the user confirmed a name, which is then in fileName.
    bool showOpen() { return show(Mode::Open); }
    bool showSave() { return show(Mode::Save); }

    enum class Mode { Open, Save };
    struct Request {
        Mode mode;
        QString filter;
        int filterIndex;
        QString initialFolder;
        QString fileName;
    };

protected:
    // The chosen full path, or nullopt on Cancel.
    virtual std::optional<QString> run(const Request& request) = 0;

private:
    bool show(Mode mode)
    {
        const auto chosen = run({mode, filter, filterIndex, initialFolder, fileName});
        if (!chosen)
            return false;
        fileName = *chosen;
        return true;
    }
};

// The folder a dialog starts in when a command asks for "the top of the disk":
// on this desktop, the user's home folder.
QString startFolder();

} // namespace mx::platform
