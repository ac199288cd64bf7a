#include "Form1.h"

#include "Closing.h"
#include "Composition.h"
#include "Text1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSessionManager>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// Client area and font as designed, in twips (1/1440 inch).
constexpr int kClientWidthTwips = 7290;
constexpr int kClientHeightTwips = 5685;
constexpr qreal kFontPoints = 14.25;

int twipsToPixels(int twips, int dpi)
{
    return qRound(twips * qreal(dpi) / 1440.0);
}

QString controlOf(Item item)
{
    switch (item) {
    case Item::F3: return u"F3"_s;
    case Item::F4: return u"F4"_s;
    case Item::M2: return u"M2"_s;
    case Item::IE: return u"IE"_s;
    case Item::BASE: return u"BASE"_s;
    }
    return QString();
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

} // namespace

QString WindowTitle(const QString& caption)
{
    // Qt takes "[*]" for the modified mark's place and shows "[*][*]" as "[*]";
    // a path may hold it literally.
    QString title = caption;
    title.replace(u"[*]"_s, u"[*][*]"_s);
    return title;
}

Form1::Form1(platform::Platform& platform, QWidget* parent)
    : QMainWindow(parent),
      edit_(new QPlainTextEdit(this)),
      text_(new Text1(edit_, this)),
      editor_{state_, *text_, platform}
{
    setObjectName(u"Form1"_s);
    setWindowTitle(WindowTitle(state_.caption()));
    setWindowIcon(QIcon(u":/marquetrix.xpm"_s));

    edit_->setObjectName(u"Text1"_s);
    edit_->setAccessibleName(u"Text1"_s);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setFont(editorFont());
    edit_->setFrameShape(QFrame::NoFrame);
    text_->Load(u"Text1"_s);
    setCentralWidget(edit_);

    buildMenus();

    connect(text_, &Text1::Change, &state_, &WindowState::textChanged);
    connect(&state_, &WindowState::captionChanged, this,
            [this](const QString& caption) { setWindowTitle(WindowTitle(caption)); });
    connect(&state_, &WindowState::enabledChanged, this, &Form1::mirrorEnabled);
    connect(&state_, &WindowState::unloadRequested, this, &QWidget::close);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::commitData);

    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    resize(twipsToPixels(kClientWidthTwips, dpiX),
           twipsToPixels(kClientHeightTwips, dpiY) + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::buildMenus()
{
    const std::vector<MenuEntry>& tree = MenuTree();
    QSet<QString> submenus;
    for (const MenuEntry& entry : tree)
        if (!entry.parent.isEmpty())
            submenus.insert(entry.parent);

    QHash<QString, QMenu*> menus;
    for (const MenuEntry& entry : tree) {
        parents_.insert(entry.control, entry.parent);
        QMenu* parent = menus.value(entry.parent);
        QAction* action = nullptr;
        if (entry.isSeparator()) {
            action = parent->addSeparator();
        } else if (submenus.contains(entry.control)) {
            QMenu* menu = parent ? parent->addMenu(entry.caption) : menuBar()->addMenu(entry.caption);
            menu->setObjectName(entry.control);
            menus.insert(entry.control, menu);
            action = menu->menuAction();
        } else {
            action = parent->addAction(entry.caption);
            connect(action, &QAction::triggered, this, [this, &entry] { run(entry); });
        }
        action->setObjectName(entry.control);
        actions_.insert(entry.control, action);
    }
}

bool Form1::reachable(const QString& control) const
{
    for (QString at = control; !at.isEmpty(); at = parents_.value(at)) {
        const QAction* action = actions_.value(at);
        if (!action || !action->isEnabled())
            return false;
    }
    return true;
}

void Form1::trigger(const QString& control)
{
    if (QAction* action = actions_.value(control))
        action->trigger();
}

void Form1::run(const MenuEntry& entry)
{
    // A disabled menu hides its commands; a direct trigger must not slip past it.
    if (!entry.handler || !reachable(entry.control))
        return;
    // A menu opened with the mouse takes the focus, and the input method
    // commits what it was composing on the way. A command triggered without a
    // focus change (over the accessibility bus) finds the composition still
    // open at the caret.
    commitComposition(edit_);
    entry.handler(editor_);
}

void Form1::mirrorEnabled(Item item, bool on)
{
    if (QAction* action = actions_.value(controlOf(item)))
        action->setEnabled(on);
}

void Form1::Form_Load()
{
    const QRect screen = this->screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(screen.x() + int(float(screen.width() - outer.width()) / 2.0f),
         screen.y() + int(float(screen.height() - outer.height()) / 2.0f));
}

void Form1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void Form1::Form_Activate()
{
    text_->Load(QString());
    state_.enable({Item::F3, Item::F4, Item::M2, Item::IE}, false);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    // Exit chosen again while the question is up starts no second closing.
    if (asking_) {
        event->ignore();
        return;
    }
    asking_ = true;
    const bool cancel = Form_QueryUnload(editor_);
    asking_ = false;
    if (cancel) {
        event->ignore();
        return;
    }
    closing_ = true;
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload()
{
    // The browser the preview started belongs to the user; nothing to release.
}

void Form1::commitData(QSessionManager& manager)
{
    if (closing_ || state_.modified() != 1 || !manager.allowsInteraction())
        return;
    asking_ = true;
    const bool cancel = Form_QueryUnload(editor_);
    asking_ = false;
    manager.release();
    if (cancel)
        manager.cancel();
    else
        closing_ = true;
}

} // namespace mx
