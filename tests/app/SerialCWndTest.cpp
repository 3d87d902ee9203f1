#include <gtest/gtest.h>

#include <QObject>

#include "app/SerialCWnd.h"
#include "platform/PortEvent.h"
#include "tests/e2e/FormFixture.h"
#include "tests/support/PseudoTerminal.h"

using namespace win32;

namespace {

// Counts the port notifications it is given.
class Window : public QObject {
public:
    int notifications = 0;

protected:
    void customEvent(QEvent* event) override { notifications += CPortEvent::Take(event) != nullptr; }
};

TEST(SerialCWnd, NotifiesItsWindowAndWithoutOneStillListens)
{
    PseudoTerminal line;
    Window window;
    CSerialCWnd port;
    ASSERT_EQ(port.Open(line.Path(), &window, 0, 12, 512, 512), 0);
    line.Send("x");
    EXPECT_TRUE(WaitUntil([&] { return window.notifications > 0; }));
    // A second open leaves the first as it was.
    EXPECT_EQ(port.Open(line.Path(), static_cast<QObject*>(nullptr), 0, 12, 512, 512), ERROR_ALREADY_INITIALIZED);
    port.Close();

    ASSERT_EQ(port.Open(line.Path(), static_cast<QObject*>(nullptr), 0, 12, 512, 512), 0);
    EXPECT_TRUE(port.IsListening());
    const int before = window.notifications;
    line.Send("y");
    QTest::qWait(100); // nothing is delivered anywhere
    EXPECT_EQ(window.notifications, before);
}

} // namespace
