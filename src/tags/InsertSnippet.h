#pragma once
#include "TagTables.h"

#include <QString>

namespace mx {
struct Editor;
}

namespace mx::tags {

// Puts the snippet on the clipboard, reads the clipboard back and puts what it
// read in place of the selection (or at the caret). The caret ends after it.
// Returns whether the text was changed.
//
// With Failure::Stop a failing clipboard step leaves the document as it was and
// tells the user; with Failure::CarryOn it is skipped without a word.
bool InsertSnippet(Editor& editor, const QString& snippet, Failure failure = Failure::Stop);

} // namespace mx::tags
