// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {
struct Editor;
}

namespace mx::document {

// New: the empty skeleton, no current file.
void newDocument(Editor& editor);
// Basic tags: the skeleton around the text that is there.
void wrapInSkeleton(Editor& editor);

} // namespace mx::document
