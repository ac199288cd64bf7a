// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The desktop session's services, for QtPlatform to build: the session
// manager's logout questions, the portal's logout inhibitor, and signals.
#include "EndRequests.h"
#include "Logout.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace mx::platform {

// The session manager's questions, as Qt's application brings them.
class QtSession final : public QObject, public Session {
public:
    QtSession();
    void onLogout(std::function<void(Logout&)> ask) override;

private:
    std::function<void(Logout&)> ask_;
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

} // namespace mx::platform
