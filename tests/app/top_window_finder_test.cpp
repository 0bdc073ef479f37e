// The top-level window search against a private X server.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstring>
#include <string>

#include "app/top_window_finder.h"
#include "support/test_support.h"

#ifdef KVZT_HAVE_XCB
#include <xcb/xcb.h>

using kvzt::app::makeTopWindowFinder;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// An Xvfb of our own on a display number nobody uses; killed with the object.
class PrivateXServer {
public:
    PrivateXServer() {
        for (int n = 90 + int(QThread::currentThreadId() ? getpid() % 100 : 0); n < 400; ++n) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            display_ = QStringLiteral(":%1").arg(n);
            server_.setProgram(QStringLiteral("Xvfb"));
            server_.setArguments({display_, QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            server_.start();
            if (!server_.waitForStarted(5000)) return;
            for (int i = 0; i < 100; ++i) {
                if (server_.state() != QProcess::Running) break;  // display taken meanwhile: next one
                connection_ = xcb_connect(display_.toLatin1().constData(), nullptr);
                if (!xcb_connection_has_error(connection_)) return;
                xcb_disconnect(connection_);
                connection_ = nullptr;
                QThread::msleep(50);
            }
            stop();
        }
    }
    ~PrivateXServer() {
        if (connection_) xcb_disconnect(connection_);
        stop();
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool ready() const { return connection_ != nullptr; }
    const QString& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }

    xcb_atom_t atom(const char* name) const {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r->atom;
        free(r);
        return a;
    }

    // A mapped top-level window with the given titles (empty: not set).
    xcb_window_t window(const QByteArray& netWmName, const QByteArray& wmName, xcb_atom_t wmNameType = XCB_ATOM_STRING) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const xcb_window_t w = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 100, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        if (!netWmName.isEmpty())
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                                uint32_t(netWmName.size()), netWmName.constData());
        if (!wmName.isEmpty())
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, wmNameType, 8,
                                uint32_t(wmName.size()), wmName.constData());
        xcb_map_window(connection_, w);
        xcb_aux_sync();
        return w;
    }

    // Waits until the server has handled everything sent so far.
    void xcb_aux_sync() { free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

private:
    void stop() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(3000)) {
                server_.kill();
                server_.waitForFinished(3000);
            }
        }
    }

    QProcess server_;
    QString display_;
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace

TEST(TopWindowFinder, FindsTheHostTitleOnABareServerAndThroughTheClientList) {
    if (!kvzt::test::haveProgram("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    PrivateXServer x;
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    auto finder = makeTopWindowFinder(x.display());

    const QString host = u("\"Таксант\"");
    EXPECT_FALSE(finder->topLevelWindowExists(host));

    // No window manager: the root's children are searched.
    const xcb_window_t hostWindow = x.window(host.toUtf8(), QByteArray("Taksant"));
    EXPECT_TRUE(finder->topLevelWindowExists(host));
    EXPECT_FALSE(finder->topLevelWindowExists(u("Таксант")));
    EXPECT_FALSE(finder->topLevelWindowExists(u("\"Таксант\" ")));
    // WM_NAME serves when there is no _NET_WM_NAME.
    x.window(QByteArray(), QByteArray("Plain title"));
    EXPECT_TRUE(finder->topLevelWindowExists(u("Plain title")));
    x.window(QByteArray(), u("Модификатор \"Таксанта\"").toUtf8(), x.atom("UTF8_STRING"));
    EXPECT_TRUE(finder->topLevelWindowExists(u("Модификатор \"Таксанта\"")));
    // The legacy title alone, in compound text with its Cyrillic segment and
    // in Latin-1, is found too; so is a window whose two titles differ.
    x.window(QByteArray(), QByteArray("\"\x1B-L\xBC\xDE\xD4\x1B-A\xE9\""), x.atom("COMPOUND_TEXT"));
    EXPECT_TRUE(finder->topLevelWindowExists(u("\"Модé\"")));
    x.window(QByteArray(), QByteArray("Caf\xE9"));
    EXPECT_TRUE(finder->topLevelWindowExists(u("Café")));
    x.window(u("Новое").toUtf8(), QByteArray("\x1B-L\xC1\xE2\xD0\xE0\xDE\xD5"), x.atom("COMPOUND_TEXT"));
    EXPECT_TRUE(finder->topLevelWindowExists(u("Старое")));
    EXPECT_TRUE(finder->topLevelWindowExists(u("Новое")));

    // A window manager's client list, when there is one, is what counts.
    const xcb_window_t listed = x.window(u("Другое окно").toUtf8(), QByteArray());
    xcb_change_property(x.connection(), XCB_PROP_MODE_REPLACE, x.root(), x.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                        32, 1, &listed);
    x.xcb_aux_sync();
    EXPECT_TRUE(finder->topLevelWindowExists(u("Другое окно")));
    EXPECT_FALSE(finder->topLevelWindowExists(host));
    const xcb_window_t both[] = {listed, hostWindow};
    xcb_change_property(x.connection(), XCB_PROP_MODE_REPLACE, x.root(), x.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                        32, 2, both);
    x.xcb_aux_sync();
    EXPECT_TRUE(finder->topLevelWindowExists(host));
}

TEST(TopWindowFinder, NoDisplayFindsNothing) {
    auto finder = makeTopWindowFinder(u(":399"));
    EXPECT_FALSE(finder->topLevelWindowExists(u("\"Таксант\"")));
}

#else

TEST(TopWindowFinder, NotBuiltWithX11) { GTEST_SKIP() << "built without libxcb"; }

#endif
