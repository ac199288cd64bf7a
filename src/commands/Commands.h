// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What each menu command runs, one folder's commands after another. The menu
// table binds them to their items; each folder defines its own and sees no
// other folder's.
#include "core/Editor.h"
#include "core/MenuId.h"

#include <vector>

namespace mx::document {

// New: the empty skeleton, no current file.
void newDocument(Editor& editor);
// Basic tags: the skeleton around the text that is there.
void wrapInSkeleton(Editor& editor);
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

namespace mx::tags {

// The command of a menu item that has a row in the tag tables: a wrapping
// command puts the selection in its row's tags (or inserts the empty pair), a
// point command puts its row's text in place of the selection. Empty for an
// item without a row.
Handler tagCommand(MenuId item);
// Every item with a row in the tag tables, in table order.
std::vector<MenuId> tagCommandItems();

} // namespace mx::tags

namespace mx::links {

// A link to a file picked in the dialog.
void insertLinkToFile(Editor& editor);
// A link to an address typed into the input box.
void insertLinkToUrl(Editor& editor);
// An image tag for a file picked in the dialog.
void insertImage(Editor& editor);

} // namespace mx::links

namespace mx::frames {

// The two frames one above the other, or side by side.
void splitFramesetRows(Editor& editor);
void splitFramesetColumns(Editor& editor);
// A frame entry for a file picked in the dialog, at the caret.
void insertFrameEntry(Editor& editor);
// The base-target line before the first "</HEAD>".
void insertBaseTarget(Editor& editor);

} // namespace mx::frames

namespace mx::help {

void showHelp(Editor& editor);
void showVersion(Editor& editor);

} // namespace mx::help
