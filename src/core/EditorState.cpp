// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EditorState.h"

namespace mx {

void EditorState::setCurrentFile(const QString& path)
{
    currentFile_ = path;
    Q_EMIT captionChanged(caption());
}

QString EditorState::caption() const
{
    if (currentFile_.isEmpty())
        return kProgramName;
    return kProgramName + QLatin1Char('-') + currentFile_;
}

void EditorState::setEnabled(MenuItem item, bool on)
{
    if (enabled_[index(item)] == on)
        return;
    enabled_[index(item)] = on;
    Q_EMIT enabledChanged(item, on);
}

void EditorState::setEnabled(std::initializer_list<MenuItem> items, bool on)
{
    for (MenuItem item : items)
        setEnabled(item, on);
}

void EditorState::setModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void EditorState::textChanged()
{
    setModified(true);
    setEnabled(MenuItem::TagsMenu, true);
}

} // namespace mx
