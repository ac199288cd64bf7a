// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {
struct Editor;
}

namespace mx::document {

// Open: reads the whole file first, so that a file that cannot be read
// changes nothing.
void openDocument(Editor& editor);

// Save: to the current file, or through Save As when there is none.
// Save As: asks for a name, writes, and makes it the current file.
// Both return true only when a file was written; the modified flag is
// cleared then and only then.
bool saveDocument(Editor& editor);
bool saveDocumentAs(Editor& editor);

// Show in browser: saves the document as Save does, then asks the desktop to
// show the file in its web browser, without waiting for it.
void showInBrowser(Editor& editor);

} // namespace mx::document
