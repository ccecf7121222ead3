#include <gtest/gtest.h>

#include "store/link_targets.h"

namespace
{

TEST(LinkTargets, SplitPutsFirstLineInTextAndTheRestInTheList)
{
    const auto three = splitLinkTargets("/a.txt\r\n/b.txt\r\nhttp://c/\r\n");
    EXPECT_EQ(three.text, "/a.txt");
    EXPECT_EQ(three.list, QStringList({"/b.txt", "http://c/"}));

    const auto single = splitLinkTargets("/only.pdf\r\n");
    EXPECT_EQ(single.text, "/only.pdf");
    EXPECT_TRUE(single.list.isEmpty());

    const auto bare = splitLinkTargets("/no-break.pdf");
    EXPECT_EQ(bare.text, "/no-break.pdf");
    EXPECT_TRUE(bare.list.isEmpty());
}

TEST(LinkTargets, UnterminatedLastLineReplacesTheText)
{
    const auto split = splitLinkTargets("first\r\nsecond");
    EXPECT_EQ(split.text, "second");
    EXPECT_TRUE(split.list.isEmpty());
}

TEST(LinkTargets, LoneBreaksStayInsideAndEmptyLinesAreEntries)
{
    const auto split = splitLinkTargets("a\rb\r\n\r\nc\nd\r\n");
    EXPECT_EQ(split.text, "a\rb");
    EXPECT_EQ(split.list, QStringList({"", "c\nd"}));
    EXPECT_EQ(splitLinkTargets("").text, "");
}

TEST(LinkTargets, JoinAndSplitRoundTrip)
{
    const QStringList list{"B", "C"};
    const QString stored = joinLinkTargets("A", list);
    EXPECT_EQ(stored, "A\r\nB\r\nC\r\n");
    const auto back = splitLinkTargets(stored);
    EXPECT_EQ(back.text, "A");
    EXPECT_EQ(back.list, list);
    // The text is not looked up in the list: it is stored twice.
    EXPECT_EQ(joinLinkTargets("A", {"A"}), "A\r\nA\r\n");
    EXPECT_EQ(joinLinkTargets(" ", {}), " \r\n");
}

} // namespace
