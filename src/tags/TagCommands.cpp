// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "TagTables.h"
#include "core/TextArea.h"

namespace mx::tags {

namespace {

void insertWrapTag(Editor& editor, const WrapTag& tag)
{
    // The selection's text first, then its length: the length decides.
    const QString selection = editor.text.selectedText();
    const qsizetype length = editor.text.selectionLength();
    insertSnippet(editor, wrapSnippet(tag, selection, length));
}

void insertPointTag(Editor& editor, const PointTag& tag)
{
    insertSnippet(editor, QString::fromUtf16(tag.text));
}

} // namespace

Handler tagCommand(MenuId item)
{
    if (const WrapTag* tag = findWrapTag(item))
        return [tag](Editor& editor) { insertWrapTag(editor, *tag); };
    if (const PointTag* tag = findPointTag(item))
        return [tag](Editor& editor) { insertPointTag(editor, *tag); };
    return {};
}

std::vector<MenuId> tagCommandItems()
{
    std::vector<MenuId> items;
    for (const WrapTag& tag : wrapTags())
        items.push_back(tag.item);
    for (const PointTag& tag : pointTags())
        items.push_back(tag.item);
    return items;
}

} // namespace mx::tags
