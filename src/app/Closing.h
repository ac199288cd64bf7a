// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {

namespace platform {
class Logout;
}
class Document;
struct Editor;

// Exit: asks the window to close; the close request decides.
void exitProgram(Editor& editor);

// The close request, from the close box or Exit. True when the window may
// close: the text has not changed since it was saved, or the user answered
// Yes. Asked again while its question is up, it says no and asks nothing.
bool closeRequested(Editor& editor);

// The session is ending (logout, shutdown): asks the close question if the
// text has changed, and stops the logout on No.
void answerLogout(Editor& editor, platform::Logout& logout);

// The session manager ends the program with a Quit once every program has
// agreed: a Yes given to that logout stands for the close it brings.
void quitArrived(Document& document);

} // namespace mx
