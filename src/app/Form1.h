#pragma once
#include "Editor.h"
#include "MenuTable.h"

#include <QHash>
#include <QMainWindow>

class QPlainTextEdit;
class QSessionManager;

namespace mx {

namespace platform {
struct Platform;
}

// What to hand setWindowTitle so that the window shows the caption as it is.
QString WindowTitle(const QString& caption);

// The one window: a menu bar over the text area.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(platform::Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    WindowState& state() { return state_; }
    Text1& text() { return *text_; }
    Editor& editor() { return editor_; }
    // The action of a command, or the menu action of a submenu.
    QAction* action(const QString& control) const { return actions_.value(control); }
    // Whether a command can be reached: it and every menu above it enabled.
    bool reachable(const QString& control) const;
    // Runs a command as its menu item would, if it can be reached.
    void trigger(const QString& control);

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void run(const MenuEntry& entry);
    // Centres the window on its screen, frame included.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void commitData(QSessionManager& manager);
    void mirrorEnabled(Item item, bool on);

    QPlainTextEdit* edit_;
    Text1* text_;
    WindowState state_;
    Editor editor_;
    QHash<QString, QAction*> actions_;
    QHash<QString, QString> parents_;
    bool activated_ = false;
    bool awaitingFrame_ = false; // centred before the window manager framed it
    bool asking_ = false;  // a close request is showing its question
    bool closing_ = false; // the user agreed; no second question
};

} // namespace mx
