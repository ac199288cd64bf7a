// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include "Accessibility.h"
#include "Closing.h"
#include "Composition.h"
#include "core/TextArea.h"
#include "core/TextEdit.h"
#include "platform/EndRequests.h"
#include "platform/Logout.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

#include "marquetrix.xpm"

// Client area and font as designed, in twips (1/1440 inch).
constexpr int kClientWidthTwips = 7290;
constexpr int kClientHeightTwips = 5685;
constexpr qreal kFontPoints = 14.25;

int twipsToPixels(int twips, int dpi)
{
    return qRound(twips * qreal(dpi) / 1440.0);
}

QFont editorFont()
{
    QFont font;
    // The design's Mincho face first, then the free ones that Debian ships.
    font.setFamilies({u"ＭＳ 明朝"_s, u"IPAMincho"_s, u"IPA明朝"_s, u"Noto Serif CJK JP"_s});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(kFontPoints);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// What to hand setWindowTitle so that the window shows the caption as it is.
QString windowTitleFor(const QString& caption)
{
    // Qt takes "[*]" for the modified mark's place and shows "[*][*]" as "[*]";
    // a path may hold it literally.
    QString title = caption;
    title.replace(u"[*]"_s, u"[*][*]"_s);
    return title;
}

} // namespace

MainWindow::MainWindow(platform::Platform& platform, QWidget* parent)
    : QMainWindow(parent), edit_(new TextEdit(this)),
      text_(new TextArea(edit_, this)), editor_{document_, *text_, platform}
{
    setObjectName(u"Form1"_s);
    setWindowTitle(windowTitleFor(document_.caption()));
    // Compiled in rather than read through Qt's image readers, whose start
    // costs more than the rest of the window.
    setWindowIcon(QIcon(QPixmap(marquetrix)));

    edit_->setObjectName(u"Text1"_s);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setFrameShape(QFrame::NoFrame);
    setCentralWidget(edit_);

    auto* bar = new MenuBar(this);
    setMenuBar(bar);
    buildMenus();
    // The desktop's key for the menus: none of them has an access key.
    new QShortcut(Qt::Key_F10, this, [bar] { bar->openFirstMenu(); });

    connect(text_, &TextArea::changed, &document_, &Document::changed);
    connect(&document_, &Document::captionChanged, this,
            [this](const QString& caption) { setWindowTitle(windowTitleFor(caption)); });
    connect(&document_, &Document::enabledChanged, this, &MainWindow::mirrorEnabled);
    connect(&document_, &Document::closeRequested, this, &QWidget::close);
    connect(&platform.endRequests, &platform::EndRequests::endRequested, this, &MainWindow::answerEndRequest);
    // Where no session manager will ask before a logout, the desktop holds
    // it back while there is something to lose.
    connect(&document_, &Document::modifiedChanged, this,
            [&platform](bool modified) { platform.logoutInhibitor.setInhibited(modified); });
    platform.session.onLogout([this](platform::Logout& logout) {
        commitComposition(edit_);
        answerLogout(editor_, logout);
    });
    qApp->installEventFilter(this);

    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    resize(twipsToPixels(kClientWidthTwips, dpiX),
           twipsToPixels(kClientHeightTwips, dpiY) + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow()
{
    editor_.platform.session.onLogout({});
}

void MainWindow::buildMenus()
{
    const std::vector<MenuEntry>& tree = menuTree();
    std::array<bool, kMenuIdCount> submenu{};
    for (const MenuEntry& entry : tree)
        if (entry.parent)
            submenu[std::size_t(*entry.parent)] = true;

    std::array<QMenu*, kMenuIdCount> menus{};
    for (const MenuEntry& entry : tree) {
        QMenu* parent = entry.parent ? menus[std::size_t(*entry.parent)] : nullptr;
        QAction* action = nullptr;
        if (entry.isSeparator()) {
            action = parent->addSeparator();
        } else if (submenu[std::size_t(entry.id)]) {
            QMenu* menu = parent ? parent->addMenu(entry.caption) : menuBar()->addMenu(entry.caption);
            menu->setObjectName(entry.control);
            menus[std::size_t(entry.id)] = menu;
            action = menu->menuAction();
        } else {
            action = parent->addAction(entry.caption);
            connect(action, &QAction::triggered, this, [this, &entry] { run(entry); });
        }
        action->setObjectName(entry.control);
        actions_[std::size_t(entry.id)] = action;
    }
}

bool MainWindow::isReachable(MenuId item) const
{
    for (std::optional<MenuId> at = item; at; at = menuTree()[std::size_t(*at)].parent) {
        const QAction* action = actions_[std::size_t(*at)];
        if (!action || !action->isEnabled())
            return false;
    }
    return true;
}

void MainWindow::trigger(MenuId item)
{
    if (QAction* action = actions_[std::size_t(item)])
        action->trigger();
}

void MainWindow::run(const MenuEntry& entry)
{
    // A disabled menu hides its commands; a direct trigger must not slip past it.
    if (!entry.handler || !isReachable(entry.id))
        return;
    // A menu opened with the mouse takes the focus, and the input method
    // commits what it was composing on the way. A command triggered without a
    // focus change (over the accessibility bus) finds the composition still
    // open at the caret.
    commitComposition(edit_);
    entry.handler(editor_);
}

void MainWindow::mirrorEnabled(MenuId item, bool on)
{
    if (QAction* action = actions_[std::size_t(item)])
        action->setEnabled(on);
}

void MainWindow::centreOnScreen()
{
    const QRect screen = this->screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(screen.x() + int(float(screen.width() - outer.width()) / 2.0f),
         screen.y() + int(float(screen.height() - outer.height()) / 2.0f));
}

void MainWindow::setVisible(bool visible)
{
    // Placed before the native window exists, the position is taken as the
    // frame's (as move() promises) and the window manager keeps it; a window
    // manager frames the window only once it is shown, so the first centring
    // goes by the bare window, and it is done again once, when the frame
    // arrives. A Wayland compositor places windows itself.
    if (visible && !shown_ && !QGuiApplication::platformName().startsWith(u"wayland"_s)) {
        centreOnScreen();
        awaitingFrame_ = true;
    }
    const bool first = visible && !shown_;
    QMainWindow::setVisible(visible);
    if (first)
        finishTextArea();
}

void MainWindow::finishTextArea()
{
    // Done once the window is mapped and before its first paint: the
    // accessible name wakes the accessibility bridge (a D-Bus round trip) and
    // the font loads the Mincho face, and neither need hold up the window.
    // A screen reader says what the text area is, not its control name.
    edit_->setAccessibleName(u"本文"_s);
    setAccessibleDescription(programDescription());
    edit_->setFont(editorFont());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        startWithEmptyText();
    }
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Only the frame's first arrival re-centres: later moves are the user's.
    if (awaitingFrame_ && frameGeometry() != geometry()) {
        awaitingFrame_ = false;
        centreOnScreen();
    }
}

void MainWindow::startWithEmptyText()
{
    // The text area holds nothing yet; the document counts it as emptied.
    document_.started();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // What the user was composing is text they typed: the question covers it.
    commitComposition(edit_);
    event->setAccepted(closeRequested(editor_));
}

void MainWindow::answerEndRequest()
{
    // The user may be looking elsewhere when a signal comes: the question
    // comes to the front with its window.
    if (document_.isModified() && !document_.isClosing() && !document_.isAsking()) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    }
    close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The input method has had the key first: what comes here it let through.
    if (watched == edit_ && event->type() == QEvent::KeyPress
        && asksForAccessKey(*static_cast<QKeyEvent*>(event)))
        return true;
    // Once every program has agreed, the session manager ends the program
    // with a Quit, which closes the window.
    if (watched == qApp && event->type() == QEvent::Quit)
        quitArrived(document_);
    return QMainWindow::eventFilter(watched, event);
}

} // namespace mx
