// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {

struct Editor;

// How a command treats a failing step of the insertion.
enum class Failure {
    Stop, // the step ends the command, and the user is told
    CarryOn, // the step is skipped silently and the command goes on
};

// Puts the snippet on the clipboard, reads the clipboard back and puts what it
// read in place of the selection (or at the caret). The caret ends after it,
// and the clipboard keeps the snippet for the user. Returns whether the text
// was changed.
//
// With Failure::Stop a failing clipboard step leaves the document as it was and
// tells the user; with Failure::CarryOn it is skipped without a word.
bool insertSnippet(Editor& editor, const QString& snippet, Failure failure = Failure::Stop);

} // namespace mx
