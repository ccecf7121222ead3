#include <gtest/gtest.h>

#include "launch/launch_plan.h"
#include "platform/shell.h"

TEST(LaunchPlanTest, ExtensionIsTheLastThreeCharactersLowerCased)
{
    EXPECT_EQ(launchExtension("C:/Data/BOOK.XLS"), "xls");
    EXPECT_EQ(launchExtension("report.docx"), "ocx");
    EXPECT_EQ(launchExtension("ab"), "ab");
    // No dot is sought: a name merely ending in the letters counts.
    EXPECT_EQ(launchExtension("/usr/bin/runexe"), "exe");
}

TEST(LaunchPlanTest, OnlyLowerCaseHttpIsAWebAddressAndDrivesAreNoSchemes)
{
    EXPECT_TRUE(isWebAddress("http://example.com/"));
    EXPECT_FALSE(isWebAddress("HTTP://example.com/"));
    EXPECT_FALSE(isWebAddress("https://example.com/"));
    EXPECT_TRUE(hasUrlScheme("mailto:someone@example.com"));
    EXPECT_FALSE(hasUrlScheme("C:\\Data\\a.txt"));
    EXPECT_FALSE(hasUrlScheme("/home/u/a:b.txt"));
}
