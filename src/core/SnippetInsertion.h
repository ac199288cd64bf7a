// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {

struct Editor;

// Puts the snippet in place of the selection (or at the caret) as one undo
// step, the caret after it, and then leaves it on the clipboard for the user.
// Nothing another program does with the clipboard can change what goes in or
// hold the command up.
void insertSnippet(Editor& editor, const QString& snippet);

} // namespace mx
