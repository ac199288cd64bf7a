#pragma once
#include "Browser.h"
#include "Clipboard.h"
#include "CommonDialog.h"
#include "InputBox.h"
#include "MessageBox.h"
#include "Platform.h"
#include "TextFiles.h"

class QWidget;

namespace mx::platform {

class QtClipboard final : public Clipboard {
public:
    bool SetText(const QString& text) override;
    std::optional<QString> GetText() override;
};

class QtMessageBox final : public MessageBox {
public:
    Answer Show(const QString& text, int style, const QString& title) override;
};

class QtInputBox final : public InputBox {
public:
    QString Show(const QString& prompt, const QString& title, const QString& initial) override;
};

class QtCommonDialog final : public CommonDialog {
protected:
    std::optional<QString> run(const Request& request) override;
};

class QtBrowser final : public Browser {
public:
    bool Show(const QString& path) override;
};

class QtTextFiles final : public TextFiles {
public:
    ReadResult Read(const QString& path, qint64 limit) override;
    QString Write(const QString& path, const QByteArray& bytes) override;
};

// Translates the "description|pattern|..." list into Qt's name filters, one per
// pair, in order. "*.*" means every file here, as it does where the list came from.
QStringList NameFilters(const QString& filter);

// The real services, owned together.
struct QtPlatform {
    QtClipboard clipboard;
    QtCommonDialog dialog;
    QtMessageBox messages;
    QtInputBox input;
    QtBrowser browser;
    QtTextFiles files;
    Platform services() { return {clipboard, dialog, messages, input, browser, files}; }
};

// The top-level window that modal boxes belong to.
QWidget* DialogParent();

} // namespace mx::platform
