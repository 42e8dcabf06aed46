// The clipboard's owner asked on a private X server: one that never answers is given
// up after the short wait, one that answers (even with nothing) and an empty clipboard
// are read as usual.
#include <QtTest>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "XSession.h"
#include "app/ClipboardOwner.h"

namespace tolvane::test {

namespace {

// Another program on the display that takes the clipboard; it answers requests for it
// only when told to.
class Owner {
  public:
    Owner(const QByteArray& display, bool answers) {
        connection_ = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char* name = "CLIPBOARD";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        xcb_set_selection_owner(connection_, window_, atom->atom, XCB_CURRENT_TIME);
        // A round trip: the server has made this the owner before anyone asks.
        std::free(xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, atom->atom), nullptr));
        std::free(atom);
        if (answers)
            answering_ = std::thread([this] { Answer(); });
    }
    ~Owner() {
        stop_ = true;
        if (answering_.joinable())
            answering_.join();
        xcb_disconnect(connection_);
    }
    bool Ready() const { return !xcb_connection_has_error(connection_); }

  private:
    // Refuses every request (property none): an answer all the same.
    void Answer() {
        while (!stop_) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
                xcb_selection_notify_event_t notify{};
                notify.response_type = XCB_SELECTION_NOTIFY;
                notify.time = request->time;
                notify.requestor = request->requestor;
                notify.selection = request->selection;
                notify.target = request->target;
                notify.property = XCB_NONE;
                xcb_send_event(connection_, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char*>(&notify));
                xcb_flush(connection_);
            }
            std::free(event);
        }
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    std::atomic<bool> stop_{false};
    std::thread answering_;
};

constexpr int kWaitMs = 300;

}  // namespace

class ClipboardOwnerTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        x_ = std::make_unique<XSession>();
        if (!x_->Started())
            QSKIP(qPrintable(QStringLiteral("no X server: ") + x_->Problem()));
        display_ = x_->Display().toLocal8Bit();
    }

    void GivesUpOnlyOnAnOwnerThatDoesNotAnswer_data() {
        QTest::addColumn<int>("owner");  // 0 none, 1 answering, 2 silent
        QTest::addColumn<bool>("answers");
        QTest::newRow("nobody holds the clipboard") << 0 << true;
        QTest::newRow("an owner that answers") << 1 << true;
        QTest::newRow("an owner that never answers") << 2 << false;
    }
    void GivesUpOnlyOnAnOwnerThatDoesNotAnswer() {
        QFETCH(int, owner);
        QFETCH(bool, answers);
        std::unique_ptr<Owner> holder;
        if (owner != 0) {
            holder = std::make_unique<Owner>(display_, owner == 1);
            QVERIFY(holder->Ready());
        }
        QCOMPARE(ClipboardOwner::AnswersOnDisplay(display_.constData(), kWaitMs), answers);
    }

    void NoServerIsNoReasonToGiveUp() {
        QVERIFY(ClipboardOwner::AnswersOnDisplay(":987", kWaitMs));
    }

  private:
    std::unique_ptr<XSession> x_;
    QByteArray display_;
};

}  // namespace tolvane::test

QTEST_GUILESS_MAIN(tolvane::test::ClipboardOwnerTest)
#include "ClipboardOwnerTest.moc"
