// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "MenuTable.h"
#include "core/Document.h"
#include "core/Editor.h"

#include <QMainWindow>

#include <array>

class QPlainTextEdit;

namespace mx {

namespace platform {
struct Platform;
}
class TextArea;

// The one window: a menu bar over the text area.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(platform::Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    Document& document() { return document_; }
    TextArea& textArea() { return *text_; }
    Editor& editor() { return editor_; }
    // The action of a command or separator, or the menu action of a submenu.
    QAction* action(MenuId item) const { return actions_[std::size_t(item)]; }
    // Whether a command can be reached: it and every menu above it enabled.
    bool isReachable(MenuId item) const;
    // Runs a command as its menu item would, if it can be reached.
    void trigger(MenuId item);

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void run(const MenuEntry& entry);
    void centreOnScreen();
    void startWithEmptyText();
    void finishTextArea();
    // Asked to end from outside the window (a signal): as its close box.
    void answerEndRequest();
    void mirrorEnabled(MenuId item, bool on);

    QPlainTextEdit* edit_;
    TextArea* text_;
    Document document_;
    Editor editor_;
    std::array<QAction*, kMenuIdCount> actions_{};
    bool shown_ = false;
    bool awaitingFrame_ = false; // centred before the window manager framed it
};

} // namespace mx
