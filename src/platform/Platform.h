// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx::platform {

class Browser;
class Clipboard;
class EndRequests;
class FileDialog;
class InputBox;
class LogoutInhibitor;
class MessageBox;
class Session;
class TextFiles;

// Everything outside the window that the program talks to. It only refers to
// services that one place owns and builds, by name: QtPlatform for the
// program, FakePlatform for the tests.
struct Platform {
    Clipboard& clipboard;
    FileDialog& dialog;
    MessageBox& messages;
    InputBox& input;
    Browser& browser;
    TextFiles& files;
    // What the window itself hears from the desktop, and tells it.
    Session& session;
    EndRequests& endRequests;
    LogoutInhibitor& logoutInhibitor;
};

} // namespace mx::platform
