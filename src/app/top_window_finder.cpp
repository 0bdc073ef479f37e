#include "app/top_window_finder.h"

#if defined(Q_OS_WIN)
#include "app/win32_window_search.h"
#elif defined(KVZT_HAVE_XCB)
#include <xcb/xcb.h>

#include <QByteArray>

#include "app/compound_text.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>
#endif

namespace kvzt::app {

#ifdef Q_OS_WIN

namespace {

class WindowsFinder : public TopWindowFinder {
public:
    bool topLevelWindowExists(const QString& exactTitle) override {
        return win32TopLevelWindowExists(exactTitle.toStdWString());
    }
};

}  // namespace

std::unique_ptr<TopWindowFinder> makeTopWindowFinder(const QString&) { return std::make_unique<WindowsFinder>(); }

#elif defined(KVZT_HAVE_XCB)

namespace {

// Asks an X server. The window manager lists its top-level clients in the
// root's _NET_CLIENT_LIST; without a window manager (a bare server) the
// top-level windows are the root's children, and under a manager that keeps
// no list the clients sit one level down inside its frames. A window's
// title is its _NET_WM_NAME (UTF-8) or its legacy WM_NAME (STRING = Latin-1,
// UTF8_STRING, or COMPOUND_TEXT: app/compound_text.h).
class X11Finder : public TopWindowFinder {
public:
    explicit X11Finder(QString display) : display_(std::move(display)) {}

    bool topLevelWindowExists(const QString& exactTitle) override {
        const QByteArray name = display_.toLocal8Bit();
        if (name.isEmpty() && !std::getenv("DISPLAY")) return false;
        xcb_connection_t* c = xcb_connect(name.isEmpty() ? nullptr : name.constData(), nullptr);
        if (!c || xcb_connection_has_error(c)) {
            if (c) xcb_disconnect(c);
            return false;
        }
        const bool found = search(c, exactTitle);
        xcb_disconnect(c);
        return found;
    }

private:
    struct Atoms {
        xcb_atom_t clientList = XCB_ATOM_NONE;
        xcb_atom_t netWmName = XCB_ATOM_NONE;
        xcb_atom_t utf8String = XCB_ATOM_NONE;
        xcb_atom_t compoundText = XCB_ATOM_NONE;
    };

    static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    // A property's bytes, when it is set with the given type (any type for XCB_ATOM_ANY).
    static std::optional<QByteArray> property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop,
                                              xcb_atom_t type, xcb_atom_t* actualType = nullptr) {
        if (prop == XCB_ATOM_NONE) return std::nullopt;
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1 << 16), nullptr);
        if (!r || r->type == XCB_ATOM_NONE) {
            std::free(r);
            return std::nullopt;
        }
        const int bytes = xcb_get_property_value_length(r);
        QByteArray value(static_cast<const char*>(xcb_get_property_value(r)), bytes);
        if (actualType) *actualType = r->type;
        std::free(r);
        return value;
    }

    // The window's titles: _NET_WM_NAME and the legacy WM_NAME, each when
    // set and readable. Both count: a program may keep the host's title in
    // either one alone.
    static std::vector<QString> titles(xcb_connection_t* c, const Atoms& atoms, xcb_window_t w) {
        std::vector<QString> result;
        if (auto utf8 = property(c, w, atoms.netWmName, atoms.utf8String)) result.push_back(QString::fromUtf8(*utf8));
        xcb_atom_t type = XCB_ATOM_NONE;
        if (auto plain = property(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, &type)) {
            if (type == atoms.utf8String) {
                result.push_back(QString::fromUtf8(*plain));
            } else if (type == XCB_ATOM_STRING) {
                result.push_back(QString::fromLatin1(*plain));
            } else if (type == atoms.compoundText) {
                if (std::optional<QString> decoded = DecodeCompoundText(*plain)) result.push_back(*decoded);
            }
        }
        return result;
    }

    static std::vector<xcb_window_t> children(xcb_connection_t* c, xcb_window_t w) {
        std::vector<xcb_window_t> result;
        xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (!r) return result;
        const xcb_window_t* list = xcb_query_tree_children(r);
        result.assign(list, list + xcb_query_tree_children_length(r));
        std::free(r);
        return result;
    }

    static bool search(xcb_connection_t* c, const QString& exactTitle) {
        Atoms atoms;
        atoms.clientList = atom(c, "_NET_CLIENT_LIST");
        atoms.netWmName = atom(c, "_NET_WM_NAME");
        atoms.utf8String = atom(c, "UTF8_STRING");
        atoms.compoundText = atom(c, "COMPOUND_TEXT");
        auto matches = [&](xcb_window_t w) {
            for (const QString& t : titles(c, atoms, w)) {
                if (t == exactTitle) return true;
            }
            return false;
        };

        for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
            const xcb_window_t root = it.data->root;
            if (auto list = property(c, root, atoms.clientList, XCB_ATOM_WINDOW); list && !list->isEmpty()) {
                const auto* ids = reinterpret_cast<const xcb_window_t*>(list->constData());
                const qsizetype count = list->size() / qsizetype(sizeof(xcb_window_t));
                for (qsizetype i = 0; i < count; ++i) {
                    if (matches(ids[i])) return true;
                }
                continue;
            }
            for (xcb_window_t top : children(c, root)) {
                if (matches(top)) return true;
                for (xcb_window_t inner : children(c, top)) {
                    if (matches(inner)) return true;
                }
            }
        }
        return false;
    }

    QString display_;
};

}  // namespace

std::unique_ptr<TopWindowFinder> makeTopWindowFinder(const QString& display) {
    return std::make_unique<X11Finder>(display);
}

#else

namespace {

// A platform whose windows we cannot list: nothing is ever found.
class NoFinder : public TopWindowFinder {
public:
    bool topLevelWindowExists(const QString&) override { return false; }
};

}  // namespace

std::unique_ptr<TopWindowFinder> makeTopWindowFinder(const QString&) { return std::make_unique<NoFinder>(); }

#endif

bool topLevelWindowExists(const QString& exactTitle) { return makeTopWindowFinder()->topLevelWindowExists(exactTitle); }

}  // namespace kvzt::app
