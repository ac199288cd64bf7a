// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QPlainTextEdit;

namespace mx {

// Settles what an input method is still composing in the text area, so that
// a command works on the text the screen shows and its own text goes after
// the composition, as when the menu was opened with the mouse.
//
// The composition is committed once. The input method is asked to commit it
// and given a moment to deliver; if nothing arrives (no input method runs, or
// its text would go to another widget), the text area commits what it shows.
// An input method that drops the composition instead is left to do so.
void commitComposition(QPlainTextEdit* edit);

} // namespace mx
