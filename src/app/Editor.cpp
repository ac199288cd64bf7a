#include "Editor.h"

namespace mx {

void WindowState::setCurrentFile(const QString& path)
{
    currentFile_ = path;
    Q_EMIT captionChanged(caption());
}

QString WindowState::caption() const
{
    if (currentFile_.isEmpty())
        return kCaptionPrefix;
    return kCaptionPrefix + QLatin1Char('-') + currentFile_;
}

void WindowState::setEnabled(Item item, bool on)
{
    if (enabled_[int(item)] == on)
        return;
    enabled_[int(item)] = on;
    Q_EMIT enabledChanged(item, on);
}

void WindowState::enable(std::initializer_list<Item> items, bool on)
{
    for (Item item : items)
        setEnabled(item, on);
}

void WindowState::textChanged()
{
    modified_ = 1;
    setEnabled(Item::M2, true);
}

} // namespace mx
