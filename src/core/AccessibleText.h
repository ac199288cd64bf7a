// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QPlainTextEdit;

namespace mx {

// What the accessibility bus (a screen reader, a tool that drives the window)
// reads of a TextEdit: the widget as Qt's own plain text interface shows it,
// but with the separators in front of pieces left out. A line end of the
// file reads as "\n" and counts one, as in Qt's interface, so a page without
// long lines reads exactly as it would there; a long line reads as one.
// Every offset the bus sees or sets, in calls and in the events Qt sends
// about text, caret and selection, is counted that way, and none of them
// reads the whole text to find a position.
//
// Characters are placed where the widget shows them, on every row (Qt's own
// interface puts every one on the first). Edits over the bus are one undo
// step each. Called once for each widget, after it has its LinePieces; the
// first call puts the interface in place.
void exposeToAccessibility(QPlainTextEdit* widget);

} // namespace mx
