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
QString FramesetSnippet(const QString& opening, const QString& closing);
// "<FRAME SRC="link" NAME="" RESIZE>" and a line end.
QString FrameEntrySnippet(const QString& link);
// The 18 characters that go before the head's end tag.
QString BaseTargetLine();

// Replaces the first "</FRAMESET>" by a new frameset left open, or, with none
// in the text, the first "<BODY>" by a closed one. With neither, only the
// focus moves.
void SplitFrameset(Editor& editor, const QString& opening);

void ROWS_fr_Click(Editor& editor);
void COLS_fr_Click(Editor& editor);
// A frame entry for a file picked in the dialog, at the caret.
void FILES_fr_Click(Editor& editor);
// The base-target line before the first "</HEAD>".
void TARGET_fr_Click(Editor& editor);

} // namespace mx::frames
