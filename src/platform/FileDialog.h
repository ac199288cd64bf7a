// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>
#include <optional>

namespace mx::platform {

// The lists a file dialog offers: "description|pattern|description|pattern|..."
// and the pair selected when it opens, counted from 0.
struct FileFilter {
    QString pairs;
    int selected = 0;

    bool operator==(const FileFilter&) const = default;
};

// What the dialog keeps from one use to the next.
struct FileDialogState {
    QString fileName; // shown when the dialog opens; the name chosen after it
    QString folder;
    FileFilter filter;

    bool operator==(const FileDialogState&) const = default;
};

// The window's one file dialog. Its state lasts from one use to the next, and
// Cancel leaves the name as it was: commands rely on both.
class FileDialog {
public:
    virtual ~FileDialog() = default;

    const FileDialogState& state() const { return state_; }
    const QString& fileName() const { return state_.fileName; }

    // Before a use: the list to offer, in the start folder. Nothing another
    // command left may steer it, except the name.
    void prepare(const FileFilter& filter)
    {
        state_.filter = filter;
        state_.folder = startFolder();
    }
    // Both return true when the user confirmed a name, which is then fileName().
    bool showOpen() { return show(Mode::Open); }
    bool showSave() { return show(Mode::Save); }
    // A command is done with the dialog: a name left in it would come back,
    // unasked for, as the answer of the next Cancel.
    void forgetNameAfterUse() { state_.fileName.clear(); }

    // The folder a dialog starts in when a command asks for "the top of the
    // disk".
    virtual QString startFolder() const = 0;

    enum class Mode { Open, Save };

protected:
    // The chosen full path, or nullopt on Cancel.
    virtual std::optional<QString> run(Mode mode, const FileDialogState& state) = 0;
    FileDialogState& remembered() { return state_; }

private:
    bool show(Mode mode)
    {
        const auto chosen = run(mode, state_);
        if (!chosen)
            return false;
        state_.fileName = *chosen;
        return true;
    }

    FileDialogState state_;
};

} // namespace mx::platform
