// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <functional>

namespace mx::platform {

// The desktop session ending (logout, shutdown) as the session manager asks
// the program about it, before it ends the program.
class Logout {
public:
    virtual ~Logout() = default;
    // Whether the program may put a question to the user now. It may wait
    // for its turn among the programs that want to ask.
    virtual bool allowsInteraction() = 0;
    // Done asking: the logout may go on as far as this program is concerned.
    virtual void release() = 0;
    // Stops the logout; the session and the program keep running.
    virtual void cancel() = 0;
};

// The desktop session the program runs in.
class Session {
public:
    virtual ~Session() = default;
    // Who to ask when the session is ending and the session manager asks
    // the program about it.
    virtual void onLogout(std::function<void(Logout&)> ask) = 0;
};

// Where the session manager never asks the program before a logout ends it
// (Wayland), the desktop is told to hold the logout back while the text has
// unsaved changes, and that it may go on once they are written.
class LogoutInhibitor {
public:
    virtual ~LogoutInhibitor() = default;
    virtual void setInhibited(bool inhibited) = 0;
};

} // namespace mx::platform
