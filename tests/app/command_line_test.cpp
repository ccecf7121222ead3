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

TEST(CommandLineTest, QtsOwnOptionsAreLeftToQt)
{
    struct Row {
        QStringList arguments;
        Action action;
        QString dataFolder;
    };
    const Row rows[] = {
        {{"-style", "Fusion"}, Action::Run, {}},
        {{"-style=Fusion", "--data-folder", "d"}, Action::Run, "d"},
        {{"-platform", "wayland", "-reverse", "--data-folder=d"}, Action::Run, "d"},
        {{"--platform", "offscreen", "-session", "1234-abcd"}, Action::Run, {}},
        // The value of a Qt option is Qt's, even when it looks like ours.
        {{"-qwindowtitle", "--version", "-stylesheet", "a.qss"}, Action::Run, {}},
        {{"-session", "x", "--version"}, Action::ShowVersion, {}},
        {{"-style", "Fusion", "--help"}, Action::ShowHelp, {}},
        // Only Qt's own names are passed over.
        {{"-styles", "Fusion"}, Action::Fail, {}},
        {{"-reverse", "stray"}, Action::Fail, {}},
        {{"-reverse=yes"}, Action::Fail, {}},
        // Qt reads no value after "=" here, so it would not take this one.
        {{"-platform=wayland"}, Action::Fail, {}},
    };
    for (const Row& row : rows) {
        const CommandLine line = parse(row.arguments);
        EXPECT_EQ(line.action, row.action) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(line.dataFolder, row.dataFolder) << row.arguments.join(' ').toStdString();
    }
}

} // namespace
