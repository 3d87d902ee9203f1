#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <thread>
#include <vector>

#include "platform/PortEvent.h"
#include "platform/QtPortEventTarget.h"

namespace {

struct Delivered {
    unsigned message;
    std::uint32_t wParam;
    std::intptr_t lParam;
    QThread* thread;
};

// Records every notification; optionally posts once more from its handler.
class Receiver : public QObject {
public:
    std::vector<Delivered> delivered;
    std::function<void()> duringHandler;

protected:
    void customEvent(QEvent* event) override
    {
        if (const CPortEvent* port = CPortEvent::Take(event)) {
            delivered.push_back({port->Message(), port->WParam(), port->LParam(), QThread::currentThread()});
            if (auto again = std::exchange(duringHandler, nullptr))
                again();
        }
    }
};

void DeliverPosted()
{
    QCoreApplication::sendPostedEvents(nullptr, CPortEvent::EventType());
}

TEST(RegisteredMessage, SameNameSameNumberOnEveryThread)
{
    const unsigned here = RegisterWindowMessage("CSerialWnd_DefaultComMsg");
    unsigned there = 0;
    std::thread([&] { there = RegisterWindowMessage("CSerialWnd_DefaultComMsg"); }).join();
    EXPECT_EQ(here, there);
    EXPECT_GE(here, 0xC000u);
    EXPECT_NE(RegisterWindowMessage("Brenvik_OtherMessage"), here);
}

TEST(PortEventTarget, DeliversOnTheOwnersThread)
{
    Receiver receiver;
    CQtPortEventTarget target(&receiver);
    const unsigned message = RegisterWindowMessage("CSerialWnd_DefaultComMsg");
    std::thread([&] { EXPECT_TRUE(target.Post(message, 0x00040001, 12)); }).join();
    EXPECT_TRUE(receiver.delivered.empty()) << "queued, not called from the poster's thread";
    DeliverPosted();
    ASSERT_EQ(receiver.delivered.size(), 1u);
    EXPECT_EQ(receiver.delivered[0].message, message);
    EXPECT_EQ(receiver.delivered[0].wParam, 0x00040001u);
    EXPECT_EQ(receiver.delivered[0].lParam, 12);
    EXPECT_EQ(receiver.delivered[0].thread, receiver.thread());
}

TEST(PortEventTarget, AFloodOfTheSameEventsIsQueuedOnce)
{
    Receiver receiver;
    CQtPortEventTarget target(&receiver);
    std::thread flood([&] {
        for (int i = 0; i < 10000; ++i)
            target.Post(0xC000, 1, 12);
    });
    flood.join();
    target.Post(0xC000, 0x80, 12); // other events are queued on their own
    DeliverPosted();
    ASSERT_EQ(receiver.delivered.size(), 2u);
    EXPECT_EQ(receiver.delivered[0].wParam, 1u);
    EXPECT_EQ(receiver.delivered[1].wParam, 0x80u);

    // Once handled, the next one is queued again.
    target.Post(0xC000, 1, 12);
    DeliverPosted();
    EXPECT_EQ(receiver.delivered.size(), 3u);
}

TEST(PortEventTarget, DataArrivingDuringTheHandlerIsAnnouncedAgain)
{
    Receiver receiver;
    CQtPortEventTarget target(&receiver);
    receiver.duringHandler = [&] { target.Post(0xC000, 1, 12); };
    target.Post(0xC000, 1, 12);
    DeliverPosted();
    DeliverPosted();
    EXPECT_EQ(receiver.delivered.size(), 2u);
}

TEST(PortEventTarget, EventsMayOutliveTheTarget)
{
    Receiver receiver;
    {
        CQtPortEventTarget target(&receiver);
        target.Post(0xC000, 1, 12);
    }
    DeliverPosted();
    EXPECT_EQ(receiver.delivered.size(), 1u);
    EXPECT_FALSE(CQtPortEventTarget(nullptr).Post(0xC000, 1, 12));
}

TEST(PortEventTarget, PlainPostIsNotCoalesced)
{
    Receiver receiver;
    EXPECT_TRUE(PostAppMessage(&receiver, 0xC001, 5, -1));
    EXPECT_TRUE(PostAppMessage(&receiver, 0xC001, 5, -1));
    DeliverPosted();
    ASSERT_EQ(receiver.delivered.size(), 2u);
    EXPECT_EQ(receiver.delivered[1].lParam, -1);
    EXPECT_FALSE(PostAppMessage(nullptr, 0xC001, 5, -1));
}

} // namespace
