// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {
struct Editor;
}

namespace mx::links {

// A link to a file picked in the dialog.
void insertLinkToFile(Editor& editor);
// A link to an address typed into the input box.
void insertLinkToUrl(Editor& editor);
// An image tag for a file picked in the dialog.
void insertImage(Editor& editor);

} // namespace mx::links
