// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Document.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

constexpr MenuId kMenuIds[] = {MenuId::Save, MenuId::SaveAs, MenuId::TagsMenu, MenuId::ShowInBrowser,
                               MenuId::BasicTags};

} // namespace

QString Document::caption() const
{
    if (currentFile_.isEmpty())
        return kProgramName;
    return kProgramName + u'-' + currentFile_;
}

bool Document::isEnabled(MenuId item) const
{
    switch (item) {
    case MenuId::Save:
    case MenuId::SaveAs: return offers_.fileCommands;
    case MenuId::TagsMenu: return offers_.tags;
    case MenuId::ShowInBrowser: return offers_.preview;
    case MenuId::BasicTags: return offers_.skeleton;
    default: return true;
    }
}

void Document::offer(const Offers& next)
{
    bool before[std::size(kMenuIds)];
    for (std::size_t i = 0; i < std::size(kMenuIds); ++i)
        before[i] = isEnabled(kMenuIds[i]);
    offers_ = next;
    for (std::size_t i = 0; i < std::size(kMenuIds); ++i)
        if (isEnabled(kMenuIds[i]) != before[i])
            Q_EMIT enabledChanged(kMenuIds[i], !before[i]);
}

void Document::setCurrentFile(const QString& path)
{
    currentFile_ = path;
    Q_EMIT captionChanged(caption());
}

void Document::setModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void Document::started()
{
    setModified(true);
    offer({.fileCommands = false, .preview = false, .tags = false, .skeleton = offers_.skeleton});
}

void Document::changed()
{
    setModified(true);
    logoutAgreed_ = false;
    Offers next = offers_;
    next.tags = true;
    offer(next);
}

void Document::renewed()
{
    offer({.fileCommands = true, .preview = true, .tags = true, .skeleton = false});
    setCurrentFile(QString());
    fileFormat_ = FileFormat();
}

void Document::wrapped()
{
    Offers next = offers_;
    next.fileCommands = next.preview = true;
    offer(next);
}

void Document::openAsked()
{
    Offers next = offers_;
    next.fileCommands = next.preview = next.tags = true;
    offer(next);
}

void Document::saveAsAsked()
{
    Offers next = offers_;
    next.fileCommands = next.tags = true;
    offer(next);
}

void Document::opened(const QString& path, const FileFormat& format)
{
    fileFormat_ = format;
    setCurrentFile(path);
    // The test is on the name's last three letters as written: "memo.TXT" is
    // taken for a page, as it always has been.
    Offers next = offers_;
    next.skeleton = path.endsWith(u"txt"_s, Qt::CaseSensitive);
    offer(next);
}

void Document::written(const QString& path)
{
    if (path != currentFile_)
        setCurrentFile(path);
    setModified(false);
}

} // namespace mx
