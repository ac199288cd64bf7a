// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "Browser.h"
#include "Clipboard.h"
#include "FileDialog.h"
#include "InputBox.h"
#include "Logout.h"
#include "MessageBox.h"
#include "Platform.h"
#include "TextFiles.h"

#include <QPointer>
#include <QStringList>

class QMessageBox;
class QSessionManager;
class QWidget;

namespace mx::platform {

class QtClipboard final : public Clipboard {
public:
    bool setText(const QString& text) override;
    std::optional<QString> text() override;
};

class QtMessageBox final : public MessageBox {
public:
    Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    std::optional<Answer> awaitShowingAnswer() override;

private:
    QPointer<QMessageBox> showing_;
};

// A logout as Qt's session manager brings it.
class QtLogout final : public Logout {
public:
    explicit QtLogout(QSessionManager& manager) : manager_(manager) { }
    bool allowsInteraction() override;
    void release() override;
    void cancel() override;

private:
    QSessionManager& manager_;
};

class QtInputBox final : public InputBox {
public:
    QString getText(const QString& prompt, const QString& title, const QString& initial) override;
};

class QtFileDialog final : public FileDialog {
public:
    QString startFolder() const override;

protected:
    std::optional<QString> run(Mode mode, const FileDialogState& state) override;
};

class QtBrowser final : public Browser {
public:
    bool showFile(const QString& path) override;
};

class QtTextFiles final : public TextFiles {
public:
    ReadResult read(const QString& path, qint64 limit) override;
    QString write(const QString& path, const QByteArray& bytes) override;
};

// Translates the "description|pattern|..." list into Qt's name filters, one per
// pair, in order. "*.*" means every file here, as it does where the list came from.
QStringList nameFilters(const QString& filter);

// The real services, owned together.
struct QtPlatform {
    QtClipboard clipboard;
    QtFileDialog dialog;
    QtMessageBox messages;
    QtInputBox input;
    QtBrowser browser;
    QtTextFiles files;
    Platform services{clipboard, dialog, messages, input, browser, files};
};

// The top-level window that modal boxes belong to.
QWidget* dialogParent();

} // namespace mx::platform
