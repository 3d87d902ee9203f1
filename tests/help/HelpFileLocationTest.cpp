#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "help/HelpFileLocation.h"

namespace {

// A prefix with a program folder bin/, and help pages in the given folders below it.
struct Layout {
    const char* what;
    QStringList pageFolders;
    const char* expected;  // relative to the prefix
};

TEST(HelpFileLocation, BuildTreeFirstThenTheInstalledPlace)
{
    const Layout layouts[] = {
        {"build tree", {"bin/BrenvikHelp"}, "bin/BrenvikHelp/index.html"},
        {"installed", {"share/brenvik/help"}, "share/brenvik/help/index.html"},
        {"both", {"bin/BrenvikHelp", "share/brenvik/help"}, "bin/BrenvikHelp/index.html"},
        {"neither: the installed place is named", {}, "share/brenvik/help/index.html"},
    };
    for (const Layout& layout : layouts) {
        QTemporaryDir prefix;
        ASSERT_TRUE(prefix.isValid());
        ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
        for (const QString& folder : layout.pageFolders) {
            ASSERT_TRUE(QDir(prefix.path()).mkpath(folder));
            QFile index(prefix.filePath(folder + "/index.html"));
            ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(HelpFileLocation(prefix.filePath("bin") + "/"), prefix.filePath(layout.expected)) << layout.what;
    }
}

}  // namespace
