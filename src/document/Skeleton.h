// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {
struct Editor;
}

namespace mx::document {

// The fixed frame of a page: six lines of head, then the tail that closes it.
const QString& skeletonHead();
const QString& skeletonTail();
// The text between head and tail; New is skeleton(""), basic tags skeleton(text).
QString skeleton(const QString& body);

// New: the empty skeleton, no current file.
void newDocument(Editor& editor);
// Basic tags: the skeleton around the text that is there.
void wrapInSkeleton(Editor& editor);

} // namespace mx::document
