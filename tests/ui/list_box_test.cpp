#include <functional>
#include <optional>

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include "ui/list_box.h"

namespace
{

// What the list shows after each step, with the key of each entry (0: none).
QString listed(const ListBox& list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.text(row) + "=" + QString::number(list.key(row).value_or(0));
    return entries.join(' ');
}

TEST(ListBoxTest, EntriesKeepTheKeysTheyWereListedWith)
{
    ListBox list;
    QAbstractItemModelTester tester(list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    struct Step {
        const char* what;
        std::function<void()> run;
        const char* expected;
        int rowOfKey7;
    };
    const Step steps[] = {
        {"keyed",
         [&] {
             list.setItems({"a", "b", "c"}, {7, 8, 9});
         },
         "a=7 b=8 c=9", 0},
        {"insert first", [&] { list.insertItem(0, "x"); }, "x=0 a=7 b=8 c=9", 1},
        {"insert past the end", [&] { list.insertItem(99, "y"); }, "x=0 a=7 b=8 c=9 y=0", 1},
        {"append",
         [&] {
             list.addItems({"p", "q"});
         },
         "x=0 a=7 b=8 c=9 y=0 p=0 q=0", 1},
        {"keys of another length",
         [&] {
             list.setItems({"a", "b"}, {7});
         },
         "a=7 b=0", 0},
        {"plain items",
         [&] {
             list.setItems({"a", "b"});
         },
         "a=0 b=0", -1},
        {"cleared", [&] { list.clear(); }, "", -1},
    };
    for (const Step& step : steps) {
        step.run();
        EXPECT_EQ(listed(list), step.expected) << step.what;
        EXPECT_EQ(list.findKey(7), step.rowOfKey7) << step.what;
        EXPECT_EQ(list.key(-1), std::nullopt) << step.what;
        EXPECT_EQ(list.key(list.count()), std::nullopt) << step.what;
    }
}

} // namespace
