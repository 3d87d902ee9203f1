// The window's Get through a real ser2net on the loopback, and what the
// status line shows when the network interface fails.

#include "tests/e2e/FormFixture.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/SimOnPty.h"

namespace {

class FormNetworkTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        if (!Ser2Net::Installed())
            GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test)";
        sim::SimOptions options = SimOnPty::Fast();
        options.settings = {"Loft", 808, 24, 9};
        options.requiredBaud = 16457;  // only the window's negotiation brings the line there
        m_sim = std::make_unique<SimOnPty>(options);
        m_server = std::make_unique<Ser2Net>(m_sim->Path());
    }
    void TearDown() override
    {
        FormTest::TearDown();
        m_server.reset();
        m_sim.reset();
    }

    // Opens COM1 mapped to the URL and gets the settings through it.
    void OpenAndGet(const std::string& url)
    {
        MapPort(1, url);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
        EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Loft"; }), QStringList {"Got Settings Ok"});
        EXPECT_EQ(Settings(), (QStringList {"Loft", "9", "24", "808"}));
    }

    std::unique_ptr<SimOnPty> m_sim;
    std::unique_ptr<Ser2Net> m_server;
};

TEST_F(FormNetworkTest, GetOverRfc2217ThenTheServerStops)
{
    OpenAndGet(m_server->Rfc2217Url());
    m_server->Stop();
    EXPECT_TRUE(WaitUntil([&] {
        Clock().Tick();
        return Text(IDC_PORT_STATUS) == "COM Port Closed";
    }));
}

TEST_F(FormNetworkTest, GetOverRawTcp)
{
    OpenAndGet(m_server->TcpUrl());
}

TEST_F(FormNetworkTest, AnInterfaceThatCannotBeReachedShowsTheClosedPort)
{
    std::string refused;
    {
        ScriptedServer gone({}, true);
        refused = gone.Url("rfc2217");
    }
    for (const std::string& url : {refused, std::string("rfc2217://127.0.0.1"), std::string("rfc2217://host.invalid:1")}) {
        SCOPED_TRACE(url);
        MapPort(1, url);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        Exit();
    }
}

}  // namespace
