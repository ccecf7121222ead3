#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "launch/launch_files.h"
#include "launch/program_file.h"

namespace
{

class ProgramFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(work.isValid()); }
    QString file(const QString& name, const QByteArray& content, bool executable)
    {
        const QString path = work.filePath(name);
        EXPECT_TRUE(writeFile(path, content));
        if (executable) {
            EXPECT_TRUE(makeExecutable(path));
        }
        return path;
    }

    QTemporaryDir work;
};

// The kind sniffProgram finds for path as the unprivileged user "nobody", who
// cannot read past permissions as root can. -1 when the check could not run.
int kindAsNobody(const QString& path)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(99);
        _exit(10 + static_cast<int>(sniffProgram(path)));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) < 10)
        return -1;
    return WEXITSTATUS(status) - 10;
}

TEST_F(ProgramFileTest, FirstBytesOfAnExecutableFileTellItsKind)
{
    const QString elf = work.filePath("tool");
    ASSERT_TRUE(writeElfProgram(elf));
    EXPECT_EQ(sniffProgram(elf), ProgramKind::Elf);
    EXPECT_EQ(sniffProgram(file("run", "#!/bin/sh\n", true)), ProgramKind::Script);
    // The shortest script: the two characters alone.
    EXPECT_EQ(sniffProgram(file("bang", "#!", true)), ProgramKind::Script);
    EXPECT_EQ(sniffProgram(file("hash", "#", true)), ProgramKind::None);
    EXPECT_EQ(sniffProgram(file("short-elf",
                                "\x7F"
                                "EL",
                                true)),
              ProgramKind::None);
    EXPECT_EQ(sniffProgram(file("empty", "", true)), ProgramKind::None);
    EXPECT_EQ(sniffProgram(file("text", " #!/bin/sh\n", true)), ProgramKind::None);
    EXPECT_EQ(sniffProgram(file("doc.pdf", "%PDF-1.4\n", true)), ProgramKind::None);
}

TEST_F(ProgramFileTest, WhatIsNoExecutableFileIsNoProgram)
{
    EXPECT_EQ(sniffProgram(file("plain", "#!/bin/sh\n", false)), ProgramKind::None);
    EXPECT_EQ(sniffProgram(work.filePath("missing")), ProgramKind::None);
    EXPECT_EQ(sniffProgram(QString()), ProgramKind::None);
    // A folder has the execute bit but is no file.
    ASSERT_TRUE(QDir(work.path()).mkdir("bin"));
    EXPECT_EQ(sniffProgram(work.filePath("bin")), ProgramKind::None);
    // A link is judged by what it points at.
    const QString script = file("real", "#!/bin/sh\n", true);
    ASSERT_TRUE(QFile::link(script, work.filePath("alias")));
    EXPECT_EQ(sniffProgram(work.filePath("alias")), ProgramKind::Script);
    ASSERT_TRUE(QFile::link(work.filePath("gone"), work.filePath("dangling")));
    EXPECT_EQ(sniffProgram(work.filePath("dangling")), ProgramKind::None);
}

TEST_F(ProgramFileTest, ExecutableFileThatCannotBeReadIsNoProgram)
{
    const QString script = file("locked", "#!/bin/sh\n", true);
    ASSERT_TRUE(QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ExeGroup |
                                                       QFile::ExeOther));
    // Execute permission for everyone, read permission for no one.
    ASSERT_TRUE(QFile::setPermissions(script, QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    if (geteuid() != 0) {
        EXPECT_EQ(sniffProgram(script), ProgramKind::None);
        return;
    }
    EXPECT_EQ(kindAsNobody(script), static_cast<int>(ProgramKind::None));
    // The same file, readable, is a script to the same user: the read is what
    // failed above.
    ASSERT_TRUE(QFile::setPermissions(script, QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                                  QFile::ReadOther));
    EXPECT_EQ(kindAsNobody(script), static_cast<int>(ProgramKind::Script));
}

TEST_F(ProgramFileTest, RelativeNamesAreLookedForInTheFolder)
{
    const QString folder = work.filePath("wd");
    ASSERT_TRUE(QDir().mkpath(folder + "/bin"));
    ASSERT_TRUE(writeFile(folder + "/app.exe", "MZ"));
    ASSERT_TRUE(writeFile(folder + "/bin/tool", "#!/bin/sh\n"));
    ASSERT_TRUE(writeFile(folder + "/-a.txt", "x"));
    EXPECT_EQ(fileInFolder("app.exe", folder), folder + "/app.exe");
    EXPECT_EQ(fileInFolder("bin/tool", folder), folder + "/bin/tool");
    EXPECT_EQ(fileInFolder("-a.txt", folder), folder + "/-a.txt");
    // Missing there, a folder, an absolute path or an address: unchanged.
    EXPECT_EQ(fileInFolder("ghost.exe", folder), "ghost.exe");
    EXPECT_EQ(fileInFolder("bin", folder), "bin");
    EXPECT_EQ(fileInFolder("app.exe", work.filePath("missing")), "app.exe");
    EXPECT_EQ(fileInFolder("/usr/bin/env", folder), "/usr/bin/env");
    EXPECT_EQ(fileInFolder("https://example.com/app.exe", folder), "https://example.com/app.exe");
    EXPECT_EQ(fileInFolder("", folder), "");
}

} // namespace
