#include <gtest/gtest.h>

#include "app/command_line.h"

namespace
{

using Action = CommandLine::Action;

CommandLine parse(QStringList arguments)
{
    arguments.prepend("quilmo");
    return parseCommandLine(arguments);
}

TEST(CommandLineTest, NoArgumentsRunWithTheFolderChosenByTheProgram)
{
    const CommandLine line = parse({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_TRUE(line.dataFolder.isEmpty());
}

TEST(CommandLineTest, DataFolderIsTakenInBothSpellings)
{
    EXPECT_EQ(parse({"--data-folder", "/srv/カタログ"}).dataFolder, "/srv/カタログ");
    EXPECT_EQ(parse({"--data-folder=rel/dir"}).dataFolder, "rel/dir");
    EXPECT_EQ(parse({"--data-folder", "a b"}).action, Action::Run);
}

TEST(CommandLineTest, HelpAndVersionAnswerWithoutRunning)
{
    const CommandLine help = parse({"--help"});
    EXPECT_EQ(help.action, Action::ShowHelp);
    EXPECT_TRUE(help.text.contains("--data-folder")) << help.text.toStdString();
    EXPECT_TRUE(help.text.contains("--version"));
    EXPECT_TRUE(help.text.startsWith("Usage: quilmo ")) << help.text.toStdString();
    EXPECT_EQ(parse({"-h"}).action, Action::ShowHelp);

    const CommandLine version = parse({"--version"});
    EXPECT_EQ(version.action, Action::ShowVersion);
    EXPECT_TRUE(version.text.startsWith("QUILMO")) << version.text.toStdString();
}

TEST(CommandLineTest, WrongCommandLinesFailWithAReason)
{
    for (const QStringList& wrong :
         {QStringList{"--data-folder"}, QStringList{"--data-folder="}, QStringList{"--nothing"},
          QStringList{"stray"}, QStringList{"--data-folder", "x", "y"}}) {
        const CommandLine line = parse(wrong);
        EXPECT_EQ(line.action, Action::Fail) << wrong.join(' ').toStdString();
        EXPECT_FALSE(line.text.isEmpty());
    }
}

} // namespace
