// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How the desktop session and the system end the program: the session
// manager's logout questions, the portal's logout inhibitor, and signals.

#include "QtSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace mx::platform {

namespace {

// A logout as Qt's session manager brings it.
class QtLogout final : public Logout {
public:
    explicit QtLogout(QSessionManager& manager) : manager_(manager) { }
    bool allowsInteraction() override { return manager_.allowsInteraction(); }
    void release() override { manager_.release(); }
    void cancel() override { manager_.cancel(); }

private:
    QSessionManager& manager_;
};

// There is no session to restore: a desktop that restores sessions must not
// start an empty editor at the next login.
void neverRestart(QSessionManager& manager)
{
    manager.setRestartHint(QSessionManager::RestartNever);
}

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the signal handler, read on the GUI thread.
int endPipe[2] = {-1, -1};

void onEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request that has not been read yet.
    [[maybe_unused]] const ssize_t written = ::write(endPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QtSession::QtSession()
{
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        neverRestart(manager);
        QtLogout logout(manager);
        if (ask_)
            ask_(logout);
    });
    connect(qApp, &QGuiApplication::saveStateRequest, this, &neverRestart);
}

void QtSession::onLogout(std::function<void(Logout&)> ask)
{
    ask_ = std::move(ask);
}

QtEndRequests::QtEndRequests()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, endPipe) != 0)
        return;
    notifier_ = new QSocketNotifier(endPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        // Signals that came together are one request.
        char drained[64];
        while (::read(endPipe[0], drained, sizeof drained) > 0) { }
        Q_EMIT endRequested();
    });
    for (const int signal : kEndSignals) {
        struct sigaction before = {};
        if (::sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

QtEndRequests::~QtEndRequests()
{
    if (!notifier_)
        return;
    for (const int signal : kEndSignals) {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == onEndSignal)
            ::signal(signal, SIG_DFL);
    }
    ::close(endPipe[0]);
    ::close(endPipe[1]);
    endPipe[0] = endPipe[1] = -1;
}

namespace {

const QString kPortal = u"org.freedesktop.portal.Desktop"_s;
constexpr uint kInhibitLogout = 1;

} // namespace

void QtLogoutInhibitor::setInhibited(bool inhibited)
{
    if (!QGuiApplication::platformName().startsWith(u"wayland"_s))
        return;
    if (inhibited && !wanted_)
        refused_ = false;
    wanted_ = inhibited;
    update();
}

void QtLogoutInhibitor::update()
{
    // While the portal thinks, nothing more is asked: its answer calls this again.
    if (asking_)
        return;
    if (!wanted_) {
        release();
        return;
    }
    if (!request_.isEmpty() || refused_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, u"/org/freedesktop/portal/desktop"_s,
                                                       u"org.freedesktop.portal.Inhibit"_s, u"Inhibit"_s);
    call << QString() << kInhibitLogout << QVariantMap{{u"reason"_s, u"保存されていない変更があります"_s}};
    asking_ = true;
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* watcher) {
        watcher->deleteLater();
        asking_ = false;
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError())
            refused_ = true;
        else
            request_ = reply.value().path();
        update();
    });
}

void QtLogoutInhibitor::release()
{
    if (request_.isEmpty())
        return;
    // Sent, not awaited: the portal needs no answer to let go.
    QDBusConnection::sessionBus().send(
        QDBusMessage::createMethodCall(kPortal, request_, u"org.freedesktop.portal.Request"_s, u"Close"_s));
    request_.clear();
}

} // namespace mx::platform
