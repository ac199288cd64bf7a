// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {
struct Editor;
}

namespace mx::frames {

// Opening literals of the two splits.
inline constexpr char16_t kRowsOpening[] = u"<FRAMESET ROWS=";
inline constexpr char16_t kColsOpening[] = u"<FRAMESET COLS=";

// The frameset that replaces the tag a split selects: the opening with the two
// equal sizes, an empty line for the frame entries, then closing and a line end.
QString framesetSnippet(const QString& opening, const QString& closing);
// "<FRAME SRC="link" NAME="" RESIZE>" and a line end.
QString frameEntrySnippet(const QString& link);
// The 18 characters that go before the head's end tag.
QString baseTargetLine();

// Replaces the first "</FRAMESET>" by a new frameset left open, or, with none
// in the text, the first "<BODY>" by a closed one. With neither, only the
// focus moves.
void splitFrameset(Editor& editor, const QString& opening);
// The two frames one above the other, or side by side.
void splitFramesetRows(Editor& editor);
void splitFramesetColumns(Editor& editor);
// A frame entry for a file picked in the dialog, at the caret.
void insertFrameEntry(Editor& editor);
// The base-target line before the first "</HEAD>".
void insertBaseTarget(Editor& editor);

} // namespace mx::frames
