// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "Browser.h"
#include "Clipboard.h"
#include "EndRequests.h"
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
class QSocketNotifier;
class QWidget;

namespace mx::platform {

class QtClipboard final : public Clipboard {
public:
    void setText(const QString& text) override;
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

// SIGTERM, SIGINT and SIGHUP, turned into endRequested() on the GUI thread
// through a pipe that their handler writes to. A signal the program was
// started with ignored (nohup, a background job) stays ignored. One per
// program.
class QtEndRequests final : public EndRequests {
    Q_OBJECT
public:
    QtEndRequests();
    ~QtEndRequests() override;

private:
    QSocketNotifier* notifier_ = nullptr;
};

// The desktop portal's logout inhibitor, on Wayland only: on X11 the session
// manager asks the program itself. Calls never wait for the portal; where
// there is none, nothing is held.
class QtLogoutInhibitor final : public QObject, public LogoutInhibitor {
public:
    void setInhibited(bool inhibited) override;

private:
    void update();
    void release();

    bool wanted_ = false;
    bool asking_ = false; // an Inhibit call awaits the portal's answer
    bool refused_ = false; // no portal, or it said no: not asked again until wanted anew
    QString request_; // the portal's handle of the inhibition held
};

class QtInputBox final : public InputBox {
public:
    QString getText(const QString& prompt, const QString& title, const QString& initial) override;
};

class QtFileDialog final : public FileDialog {
protected:
    std::optional<QString> run(const Request& request) override;
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
    QtEndRequests endRequests;
    QtLogoutInhibitor logoutInhibitor;
    Platform services{clipboard, dialog, messages, input, browser, files, endRequests, logoutInhibitor};
};

// The top-level window that modal boxes belong to.
QWidget* dialogParent();

} // namespace mx::platform
