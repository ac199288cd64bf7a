// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {

class TextArea;

// What the accessibility bus (a screen reader, a tool that drives the window)
// reads of a TextEdit: the widget as Qt's own plain text interface shows it,
// but with the separators in front of pieces left out. A line end of the
// file reads as "\n" and counts one, as in Qt's interface, so a page without
// long lines reads exactly as it would there; a long line reads as one.
// Every offset the bus sees or sets, in calls and in the events Qt sends
// about text, caret and selection, is counted that way, and none of them
// reads the whole text to find a position.
//
// Edits over the bus go through the text area, so that they keep its pieces
// and its undo steps. Called once for each text area; the first call puts
// the interface in place.
void exposeToAccessibility(TextArea& text);

} // namespace mx
