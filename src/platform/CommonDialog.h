#pragma once
#include <QString>
#include <optional>

namespace mx::platform {

// The window's one file dialog. Its properties last from one use to the next;
// Cancel returns normally and leaves FileName as it was.
//
// Filter is "description|pattern|description|pattern|...", FilterIndex counts
// the pairs from 1.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    QString Filter;
    int FilterIndex = 0;
    QString InitDir;
    QString FileName;

    // Both return true when the user confirmed a name.
    bool ShowOpen() { return show(Mode::Open); }
    bool ShowSave() { return show(Mode::Save); }

    enum class Mode { Open, Save };
    struct Request {
        Mode mode;
        QString filter;
        int filterIndex;
        QString initDir;
        QString fileName;
    };

protected:
    // The chosen full path, or nullopt on Cancel.
    virtual std::optional<QString> run(const Request& request) = 0;

private:
    bool show(Mode mode)
    {
        const auto chosen = run({mode, Filter, FilterIndex, InitDir, FileName});
        if (!chosen)
            return false;
        FileName = *chosen;
        return true;
    }
};

// The folder a dialog starts in when a command asks for "the top of the disk":
// on this desktop, the user's home folder.
QString StartFolder();

} // namespace mx::platform
