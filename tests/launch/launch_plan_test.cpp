#include <gtest/gtest.h>

#include "launch/launch_plan.h"
#include "platform/shell.h"

TEST(LaunchPlanTest, ExtensionIsTheLastThreeCharactersLowerCased)
{
    EXPECT_EQ(launchExtension("C:/Data/BOOK.XLS"), "xls");
    EXPECT_EQ(launchExtension("report.docx"), "ocx");
    EXPECT_EQ(launchExtension("ab"), "ab");
    EXPECT_EQ(launchExtension(""), "");
    // No dot is sought: a name merely ending in the letters counts.
    EXPECT_EQ(launchExtension("/usr/bin/runexe"), "exe");
}

TEST(LaunchPlanTest, BlankMeansEmptyOneSpaceOrOneIdeographicSpace)
{
    EXPECT_TRUE(isBlankPathField(""));
    EXPECT_TRUE(isBlankPathField(" "));
    EXPECT_TRUE(isBlankPathField("　"));
    EXPECT_FALSE(isBlankPathField("  "));
    EXPECT_FALSE(isBlankPathField("　　"));
    EXPECT_FALSE(isBlankPathField("/"));
}

TEST(LaunchPlanTest, LaunchTreatsOnlyLowerCaseHttpAsAWebAddressButTheIconIgnoresCase)
{
    EXPECT_TRUE(isWebAddress("http://example.com/"));
    EXPECT_FALSE(isWebAddress("HTTP://example.com/"));
    EXPECT_FALSE(isWebAddress("https://example.com/"));
    EXPECT_EQ(linkIconSource("HTTP://example.com/", false), LinkIconSource::HelpPage);
    EXPECT_EQ(linkIconSource("https://example.com/", false), LinkIconSource::Associated);
}

TEST(LaunchPlanTest, IconSourceFollowsTheTargetsKind)
{
    EXPECT_EQ(linkIconSource("　", false), LinkIconSource::None);
    EXPECT_EQ(linkIconSource("  ", false), LinkIconSource::Associated);
    EXPECT_EQ(linkIconSource("C:/Tools/APP.EXE", false), LinkIconSource::Program);
    EXPECT_EQ(linkIconSource("/opt/tool/run.sh", true), LinkIconSource::Program);
    EXPECT_EQ(linkIconSource("/home/u/notes.txt", false), LinkIconSource::Associated);
}

TEST(LaunchPlanTest, OfficeRoutesIgnoreOptionsAndWorkingFolder)
{
    const LaunchPlan plan = planLaunch("a.xls", "-x", "/nowhere", false, "/home/u");
    EXPECT_EQ(plan.route, LaunchPlan::Route::Spreadsheet);
    EXPECT_TRUE(plan.arguments.isEmpty());
    EXPECT_TRUE(plan.folder.isEmpty());
    // The office test comes before the executable one.
    EXPECT_EQ(planLaunch("odd.doc", "", "", true, "/home/u").route,
              LaunchPlan::Route::WordProcessor);
}

TEST(LaunchPlanTest, DocumentsNeverGetTheLaunchOptions)
{
    const LaunchPlan plan = planLaunch("https://example.com/", "-a", "　", false, "/home/u");
    EXPECT_EQ(plan.route, LaunchPlan::Route::Document);
    EXPECT_TRUE(plan.arguments.isEmpty());
    EXPECT_EQ(plan.folder, "/home/u");
}

TEST(LaunchPlanTest, UrlSchemesNeedTwoLettersSoDrivesStayPaths)
{
    EXPECT_TRUE(hasUrlScheme("https://example.com"));
    EXPECT_TRUE(hasUrlScheme("mailto:someone@example.com"));
    EXPECT_FALSE(hasUrlScheme("C:\\Data\\a.txt"));
    EXPECT_FALSE(hasUrlScheme("/home/u/a:b.txt"));
    EXPECT_FALSE(hasUrlScheme("notes.txt"));
}
