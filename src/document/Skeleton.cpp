// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "core/Document.h"
#include "core/Editor.h"
#include "core/TextArea.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::document {

namespace {

// The fixed frame of a page: six lines of head, then the tail that closes it.
const QString& skeletonHead()
{
    static const QString head = u"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"_s;
    return head;
}

const QString& skeletonTail()
{
    static const QString tail = u"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"_s;
    return tail;
}

} // namespace

void newDocument(Editor& editor)
{
    editor.text.setText(skeletonHead() + skeletonTail());
    editor.document.renewed();
}

void wrapInSkeleton(Editor& editor)
{
    // Edits at both ends leave the old text in place, however long it is.
    editor.text.surround(skeletonHead(), skeletonTail());
    editor.document.wrapped();
}

} // namespace mx::document
