#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "platform/memory.h"

TEST(MemoryStatus, LoadIsTheShareInUseRoundedDown)
{
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotal:       1000 kB\nMemFree:  10 kB\n"
                                    "MemAvailable:    551 kB\n"),
              44);
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotal: 1000 kB\nMemAvailable: 0 kB\n"), 100);
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotal: 1000 kB\nMemAvailable: 1000 kB\n"), 0);
}

TEST(MemoryStatus, MissingOrBrokenFiguresGiveZero)
{
    EXPECT_EQ(memoryLoadFromMeminfo(""), 0);
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotal: 1000 kB\n"), 0);
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotal: x kB\nMemAvailable: 5 kB\n"), 0);
    // A key that merely starts like another is not taken for it.
    EXPECT_EQ(memoryLoadFromMeminfo("MemTotalX: 1000 kB\nMemAvailable: 5 kB\n"), 0);
}

TEST(MemoryStatus, ReadsTheFileItIsGiven)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("MemTotal: 2000 kB\nMemAvailable: 1100 kB\n");
    file.flush();
    ProcMemoryStatus status(file.fileName());
    EXPECT_EQ(status.memoryLoad(), 45);
    ProcMemoryStatus missing(file.fileName() + ".none");
    EXPECT_EQ(missing.memoryLoad(), 0);
}
