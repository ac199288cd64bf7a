// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QObject>

namespace mx::platform {

// Requests to end the program that come from outside its window: the signals
// with which a closed terminal (SIGHUP), the user at it (SIGINT) and desktops
// and service managers (SIGTERM) end programs. They arrive on the GUI
// thread, where the window can still ask before unsaved text is lost.
class EndRequests : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void endRequested();
};

} // namespace mx::platform
