#pragma once
#include "document/FileFormat.h"

#include <QObject>
#include <QString>

namespace mx {

namespace platform {
struct Platform;
}
class Text1;

// The menu items whose enabled state changes while the program runs.
enum class Item { F3, F4, M2, IE, BASE };

// What the window keeps for its commands. It is the truth: the menus mirror
// it, never the other way round, so a command triggered without its menu ever
// being opened sees the right state.
class WindowState : public QObject {
    Q_OBJECT
public:
    static inline const QString kCaptionPrefix = QStringLiteral("Marquetrix");

    // The file the document was last read from or written to; empty for none.
    const QString& currentFile() const { return currentFile_; }
    void setCurrentFile(const QString& path);
    // "Marquetrix", or "Marquetrix-" and the current file.
    QString caption() const;
    // How the document is written to disk: as its file was read, or as a new
    // document's.
    const document::FileFormat& fileFormat() const { return fileFormat_; }
    void setFileFormat(const document::FileFormat& format) { fileFormat_ = format; }

    qint16 modified() const { return modified_; }
    void setModified(qint16 flag) { modified_ = flag; }

    bool enabled(Item item) const { return enabled_[int(item)]; }
    void setEnabled(Item item, bool on);
    // Several at once, as the commands name them.
    void enable(std::initializer_list<Item> items, bool on = true);

    // The text area changed, by any means.
    void textChanged();
    // Exit: ask the window to close through its close request.
    void requestUnload() { Q_EMIT unloadRequested(); }

Q_SIGNALS:
    void captionChanged(const QString& caption);
    void enabledChanged(mx::Item item, bool on);
    void unloadRequested();

private:
    QString currentFile_;
    document::FileFormat fileFormat_;
    qint16 modified_ = 0;
    bool enabled_[5] = {true, true, true, true, true};
};

// Everything a command may touch: the window's state, its text area, and the
// desktop around it.
struct Editor {
    WindowState& window;
    Text1& text;
    platform::Platform& platform;
};

} // namespace mx
