// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/MenuId.h"
#include "core/SnippetInsertion.h"

#include <QString>
#include <QStringView>
#include <span>

namespace mx::tags {

enum class Shape {
    BlockWrap, // open, CR LF, selection, CR LF, close
    InlineWrap, // open, selection, close; two spaces hold the place of none
};

// The tag tables, for the tag commands alone.

// A command that puts a pair of tags around the selection.
struct WrapTag {
    MenuId item;
    const char16_t* open;
    const char16_t* close;
    Shape shape;
};

// A command that puts a fixed text in place of the selection or at the caret.
struct PointTag {
    MenuId item;
    const char16_t* text;
};

std::span<const WrapTag> wrapTags();
std::span<const PointTag> pointTags();
// nullptr when the item has no row.
const WrapTag* findWrapTag(MenuId item);
const PointTag* findPointTag(MenuId item);

// The snippet of a wrapping command: around the selection when there is one
// (selectionLength != 0), or the empty pair.
QString wrapSnippet(const WrapTag& tag, const QString& selection, qsizetype selectionLength);

} // namespace mx::tags
