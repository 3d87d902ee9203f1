#include <gtest/gtest.h>

#include <QWidget>

#include "help/HtmlHelpLoader.h"

namespace {

// A help control source that records what the loader asks of it.
class FakeHelpSource : public IHelpControlSource {
public:
    bool registered = true;
    QStringList loadable = {"C:/registered/hhctrl.ocx"};
    bool hasEntry = true;

    QStringList loads;
    int lookups = 0;
    int resolves = 0;
    QStringList entryCalls;
    QWidget window;

    bool FindHelpControlPath(QString& path) override
    {
        ++lookups;
        if (registered)
            path = "C:/registered/hhctrl.ocx";
        return registered;
    }
    bool LoadControl(const QString& pathOrName) override
    {
        loads << pathOrName;
        return loadable.contains(pathOrName);
    }
    HtmlHelpEntry ResolveEntry(int ordinal) override
    {
        ++resolves;
        EXPECT_EQ(ordinal, 14);
        if (!hasEntry)
            return {};
        return [this](QWidget*, const QString& file, unsigned command, quintptr data) {
            entryCalls << QStringLiteral("%1|%2|%3").arg(file).arg(command).arg(data);
            return &window;
        };
    }
};

TEST(HtmlHelpLoader, TwoRequestsLoadOnce)
{
    FakeHelpSource source;
    CHtmlHelpLoader loader(source);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), &source.window);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 5), &source.window);
    EXPECT_EQ(source.lookups, 1);
    EXPECT_EQ(source.loads, QStringList{"C:/registered/hhctrl.ocx"});
    EXPECT_EQ(source.resolves, 1);
    EXPECT_EQ(source.entryCalls, QStringList({"help.html|0|0", "help.html|0|5"}));
}

TEST(HtmlHelpLoader, NoControlTriesBothLoadsOnceThenNone)
{
    FakeHelpSource source;
    source.loadable.clear();
    CHtmlHelpLoader loader(source);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(source.loads, QStringList({"C:/registered/hhctrl.ocx", "hhctrl.ocx"}));
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(source.loads.size(), 2);
    EXPECT_EQ(source.lookups, 1);
    EXPECT_EQ(source.resolves, 0);
}

TEST(HtmlHelpLoader, UnregisteredControlIsLoadedByName)
{
    FakeHelpSource source;
    source.registered = false;
    source.loadable = {"hhctrl.ocx"};
    CHtmlHelpLoader loader(source);
    EXPECT_NE(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(source.loads, QStringList{"hhctrl.ocx"});
}

TEST(HtmlHelpLoader, UnloadableRegisteredPathFallsBackToTheName)
{
    FakeHelpSource source;
    source.loadable = {"hhctrl.ocx"};
    CHtmlHelpLoader loader(source);
    EXPECT_NE(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(source.loads, QStringList({"C:/registered/hhctrl.ocx", "hhctrl.ocx"}));
}

TEST(HtmlHelpLoader, MissingEntryLatchesTheFailure)
{
    FakeHelpSource source;
    source.hasEntry = false;
    CHtmlHelpLoader loader(source);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, "help.html", 0, 0), nullptr);
    EXPECT_EQ(source.loads.size(), 1);
    EXPECT_EQ(source.resolves, 1);
}

TEST(HtmlHelpLoader, OnlyContextAndFinderAct)
{
    FakeHelpSource source;
    CHtmlHelpLoader loader(source);
    loader.WinHelp(nullptr, "help.html", 0, HELP_QUIT);
    loader.WinHelp(nullptr, "help.html", 0, 3);
    EXPECT_TRUE(source.loads.isEmpty()) << "a closing request loads nothing";
    loader.WinHelp(nullptr, "help.html", 0, HELP_FINDER);
    loader.WinHelp(nullptr, "help.html", 42, HELP_CONTEXT);
    EXPECT_EQ(source.entryCalls, QStringList({"help.html|0|0", "help.html|0|42"}));
}

} // namespace
