#include "ClipboardOwner.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if __has_include(<xcb/xcb.h>)
#include <poll.h>
#include <xcb/xcb.h>
#define TOLVANE_HAS_XCB 1
#endif

namespace tolvane {

namespace {

#ifdef TOLVANE_HAS_XCB
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_screen_t* ScreenOf(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0; --number, xcb_screen_next(&it)) {
        if (number == 0)
            return it.data;
    }
    return nullptr;
}

// Asks the owner of CLIPBOARD for its TARGETS from `window` and waits for the answer.
bool OwnerAnswers(xcb_connection_t* connection, xcb_window_t window, int timeoutMs) {
    const xcb_atom_t clipboard = Atom(connection, "CLIPBOARD");
    const xcb_atom_t targets = Atom(connection, "TARGETS");
    const xcb_atom_t property = Atom(connection, "TOLVANE_CLIPBOARD_PROBE");
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, clipboard), nullptr);
    const bool held = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    if (!held)
        return true;  // nothing to read, and Qt finds that out at once
    xcb_convert_selection(connection, window, clipboard, targets, property, XCB_CURRENT_TIME);
    xcb_flush(connection);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd wait{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!xcb_connection_has_error(connection)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool notified = (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
            std::free(event);
            if (notified)
                return true;  // an answer, with the formats or without: it is alive
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        const int ready = ::poll(&wait, 1, static_cast<int>(left));
        if (ready == 0 || (ready < 0 && errno != EINTR))
            return false;
    }
    return true;  // the connection broke: let Qt try
}
#endif

}  // namespace

bool ClipboardOwner::AnswersOnDisplay(const char* display, int timeoutMs) {
#ifdef TOLVANE_HAS_XCB
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(display != nullptr && *display != '\0' ? display : nullptr, &screenNumber);
    bool answers = true;
    if (!xcb_connection_has_error(connection)) {
        if (xcb_screen_t* screen = ScreenOf(connection, screenNumber)) {
            const xcb_window_t window = xcb_generate_id(connection);
            xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                              XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
            answers = OwnerAnswers(connection, window, timeoutMs);
            xcb_destroy_window(connection, window);
        }
    }
    xcb_disconnect(connection);
    return answers;
#else
    (void)display;
    (void)timeoutMs;
    return true;
#endif
}

bool ClipboardOwner::Answers(int timeoutMs) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QGuiApplication::clipboard()->ownsClipboard())
        return true;
    return AnswersOnDisplay(nullptr, timeoutMs);
}

}  // namespace tolvane
