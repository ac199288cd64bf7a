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
class TextFiles;

// Everything outside the window that the commands talk to. It only refers to
// services someone else owns, so it is never copied.
struct Platform {
    Platform(Clipboard& clipboard, FileDialog& dialog, MessageBox& messages, InputBox& input,
             Browser& browser, TextFiles& files, EndRequests& endRequests, LogoutInhibitor& logoutInhibitor)
        : clipboard(clipboard), dialog(dialog), messages(messages), input(input), browser(browser),
          files(files), endRequests(endRequests), logoutInhibitor(logoutInhibitor)
    {
    }
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    Clipboard& clipboard;
    FileDialog& dialog;
    MessageBox& messages;
    InputBox& input;
    Browser& browser;
    TextFiles& files;
    // What the window itself hears from the desktop.
    EndRequests& endRequests;
    LogoutInhibitor& logoutInhibitor;
};

} // namespace mx::platform
