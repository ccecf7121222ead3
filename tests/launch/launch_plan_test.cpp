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

TEST(LaunchPlanTest, ScriptNamesHaveNoExtensionOrAScriptsOwn)
{
    for (const char* name : {"backup", "run.sh", "RUN.SH", "tool.py", "x.AppImage", "setup.run",
                             "pip3.11", "v.2", ".profile", "trailing.", "a.bash", "a.zsh"})
        EXPECT_TRUE(hasScriptName(QString::fromUtf8(name))) << name;
    for (const char* name :
         {"notes.txt", "manual.pdf", "a.sh.txt", "v.2a", "photo.jpg", "data.json", "a.shx", "a.s"})
        EXPECT_FALSE(hasScriptName(QString::fromUtf8(name))) << name;
}

TEST(LaunchPlanTest, ExeNamesAlwaysRunOfficeNamesNeverAndOtherFilesByTheirContent)
{
    const struct {
        const char* target;
        ProgramKind kind;
        bool program;
    } cases[] = {
        {"C:\\Tools\\APP.EXE", ProgramKind::None, true},
        {"/opt/x/runexe", ProgramKind::None, true},
        {"/opt/x/tool", ProgramKind::None, false},
        {"/opt/x/tool", ProgramKind::Elf, true},
        {"/opt/x/tool", ProgramKind::Script, true},
        {"/opt/x.d/tool", ProgramKind::Script, true},
        {"/opt/x/viewer.pdf", ProgramKind::Elf, true},
        {"/opt/x/notes.txt", ProgramKind::Script, false},
        {"/opt/x/book.XLS", ProgramKind::Elf, false},
        {"/opt/x/letter.doc", ProgramKind::Script, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runsAsProgram(QString::fromUtf8(c.target), c.kind), c.program) << c.target;
        const LaunchPlan plan =
            planLaunch(QString::fromUtf8(c.target), "-v", "/work", c.kind, "/home/u");
        EXPECT_EQ(plan.route == LaunchPlan::Route::Program, c.program) << c.target;
        EXPECT_EQ(linkIconSource(QString::fromUtf8(c.target), c.kind) == LinkIconSource::Program,
                  c.program)
            << c.target;
    }
}
