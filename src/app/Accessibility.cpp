// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleOptionMenuItem>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

bool canTakeKeys(const QAction* action)
{
    return action->isVisible() && action->isEnabled() && !action->isSeparator();
}

// Qt would describe the application by the path of its binary.
class DescribedApplication final : public QAccessibleApplication {
public:
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Description ? programDescription() : QAccessibleApplication::text(t);
    }
};

QAccessibleInterface* applicationInterface(const QString&, QObject* object)
{
    return object == qApp ? new DescribedApplication : nullptr;
}

} // namespace

QString programDescription()
{
    return u"メニューから HTML タグを入れながら、ホームページを手書きで作る HTML エディタ"_s;
}

void MenuBar::openFirstMenu()
{
    for (QAction* title : actions()) {
        if (!canTakeKeys(title) || !title->menu())
            continue;
        setActiveAction(title);
        QMenu* menu = title->menu();
        for (QAction* item : menu->actions()) {
            if (canTakeKeys(item)) {
                menu->setActiveAction(item);
                break;
            }
        }
        return;
    }
}

void MenuBar::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const
{
    QMenuBar::initStyleOption(option, action);
    // The menu bar holds the focus only while the keys are on it.
    if (hasFocus() && (option->state & QStyle::State_Selected))
        option->state |= QStyle::State_Sunken;
}

bool asksForAccessKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) && !key.text().isEmpty()
           && key.text().front().isPrint();
}

void describeApplication()
{
    QAccessible::installFactory(&applicationInterface);
}

} // namespace mx
