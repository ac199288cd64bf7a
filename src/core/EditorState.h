// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/FileFormat.h"

#include <QObject>
#include <QString>

#include <array>
#include <initializer_list>

namespace mx {

// The program's name: the window's caption before any file, and the title of
// its message boxes.
inline const QString kProgramName = QStringLiteral("Marquetrix");

// The menu items whose enabled state changes while the program runs.
enum class MenuItem { Save, SaveAs, TagsMenu, ShowInBrowser, BasicTags };
inline constexpr std::size_t kMenuItemCount = 5;

// What the window keeps for its commands. It is the truth: the menus mirror
// it, never the other way round, so a command triggered without its menu ever
// being opened sees the right state.
class EditorState : public QObject {
    Q_OBJECT
public:
    // The file the document was last read from or written to; empty for none.
    const QString& currentFile() const { return currentFile_; }
    void setCurrentFile(const QString& path);
    // "Marquetrix", or "Marquetrix-" and the current file.
    QString caption() const;
    // How the document is written to disk: as its file was read, or as a new
    // document's.
    const FileFormat& fileFormat() const { return fileFormat_; }
    void setFileFormat(const FileFormat& format) { fileFormat_ = format; }

    // Whether the text changed since it was last written to a file. Every
    // change counts, even one that puts back what was there.
    bool isModified() const { return modified_; }
    void setModified(bool modified);

    bool isEnabled(MenuItem item) const { return enabled_[index(item)]; }
    void setEnabled(MenuItem item, bool on);
    // Several at once, as the commands name them.
    void setEnabled(std::initializer_list<MenuItem> items, bool on);

    // The text area changed, by any means.
    void textChanged();
    // Exit: ask the window to close through its close request.
    void requestClose() { Q_EMIT closeRequested(); }

Q_SIGNALS:
    void captionChanged(const QString& caption);
    void enabledChanged(mx::MenuItem item, bool on);
    void modifiedChanged(bool modified);
    void closeRequested();

private:
    static std::size_t index(MenuItem item) { return std::size_t(item); }

    QString currentFile_;
    FileFormat fileFormat_;
    bool modified_ = false;
    std::array<bool, kMenuItemCount> enabled_ = {true, true, true, true, true};
};

} // namespace mx
