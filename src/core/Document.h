// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/FileFormat.h"
#include "core/MenuId.h"

#include <QObject>
#include <QString>

namespace mx {

// The program's name: the window's caption before any file, and the title of
// its message boxes.
inline const QString kProgramName = QStringLiteral("Marquetrix");

// The document's life, from the window's first empty text to closing: the
// file it belongs to and how that file is written, whether it changed since,
// and which menu items it offers. It is the truth: the window listens to its
// signals for the caption and the menus, so a command triggered without its
// menu ever being opened sees the right state.
//
// The commands tell it what happened, each in one named transition; none sets
// a flag or a menu item of its own.
class Document : public QObject {
    Q_OBJECT
public:
    // The file the document was last read from or written to; empty for none.
    const QString& currentFile() const { return currentFile_; }
    // "Marquetrix", or "Marquetrix-" and the current file.
    QString caption() const;
    // How the document is written to disk: as its file was read, or as a new
    // document's.
    const FileFormat& fileFormat() const { return fileFormat_; }

    // Whether the text changed since it was last written to a file. Every
    // change counts, even one that puts back what was there, so QTextDocument's
    // own flag, which an undo clears, is not this one.
    bool isModified() const { return modified_; }

    // Save, Save As, the Tags menu, show in browser and basic tags follow the
    // document; every other item is always enabled.
    bool isEnabled(MenuId item) const;

    // The window's first text, empty. Emptying counts as a change, so the
    // document is modified before the user types anything; nothing but the
    // file commands' New and Open is offered yet.
    void started();
    // The text changed, by any means.
    void changed();
    // New: the empty skeleton, no file, a new document's format.
    void renewed();
    // Basic tags: the skeleton around the text that is there.
    void wrapped();
    // The Open or the Save As dialog has closed, whatever the user chose:
    // the text there is a document the user may want to keep.
    void openAsked();
    void saveAsAsked();
    // The file at path was read into the text. Only a plain text file wants
    // the page skeleton around it.
    void opened(const QString& path, const FileFormat& format);
    // The text was written to the file at path, which is now the current file.
    void written(const QString& path);

    // Closing. The close request asks at most one question at a time; once the
    // user has agreed (or had nothing to lose), the document is closing and
    // nothing asks again.
    bool isClosing() const { return closing_; }
    void closing() { closing_ = true; }
    bool isAsking() const { return asking_; }
    void setAsking(bool asking) { asking_ = asking; }
    // A Yes given to a logout stands for the end of that logout only, and
    // only for the text there was when the user gave it.
    bool agreedToLogout() const { return logoutAgreed_; }
    void logoutAnswered(bool agreed) { logoutAgreed_ = agreed; }
    // Exit: the window's close request decides.
    void requestClose() { Q_EMIT closeRequested(); }

Q_SIGNALS:
    void captionChanged(const QString& caption);
    void enabledChanged(mx::MenuId item, bool on);
    void modifiedChanged(bool modified);
    void closeRequested();

private:
    // What the menu items are derived from, the one place they are. The
    // window is created with everything offered; its first text takes the
    // file commands, the preview and the tags back until a transition offers
    // them again.
    struct Offers {
        bool fileCommands = true; // Save, Save As
        bool preview = true; // show in browser
        bool tags = true; // the Tags menu
        bool skeleton = true; // basic tags
    };

    // Moves to the new offers and tells the window what changed.
    void offer(const Offers& next);
    void setCurrentFile(const QString& path);
    void setModified(bool modified);

    QString currentFile_;
    FileFormat fileFormat_;
    bool modified_ = false;
    Offers offers_;
    bool asking_ = false;
    bool closing_ = false;
    bool logoutAgreed_ = false;
};

} // namespace mx
