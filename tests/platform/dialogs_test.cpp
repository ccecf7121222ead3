#include <QStringList>

#include <gtest/gtest.h>

#include "platform/dialogs.h"

namespace
{

QString repeated(const QString& part, qsizetype times)
{
    return part.repeated(times);
}

QString numberedLines(int from, int to)
{
    QStringList lines;
    for (int line = from; line < to; ++line)
        lines << QStringLiteral("L%1").arg(line);
    return lines.join(QLatin1Char('\n'));
}

// A box carries the name whole up to the line length and shortened in the
// middle beyond it, so a name of a million characters costs nothing to lay out.
TEST(DialogsTest, LongLinesAndLongTextsAreShortenedInTheMiddle)
{
    const QString smile = QStringLiteral("\U0001F600");
    const struct {
        const char* label;
        QString text;
        QString shown;
    } cases[] = {
        {"short", "確認", "確認"},
        {"at the length", repeated("a", 160), repeated("a", 160)},
        {"one over", repeated("a", 80) + "b" + repeated("c", 80),
         repeated("a", 79) + "…" + repeated("c", 79)},
        {"a million", repeated("名", 1000000) + " を削除しますか？",
         repeated("名", 79) + "…" + repeated("名", 70) + " を削除しますか？"},
        // 79 code units would end inside a pair: the cut moves to keep it whole.
        {"pairs", repeated(smile, 1000), repeated(smile, 39) + "…" + repeated(smile, 39)},
        {"only the long line", "題\r\n" + repeated("x", 500) + "\r\n末",
         "題\r\n" + repeated("x", 79) + "…" + repeated("x", 78) + "\r\n末"},
        {"many lines", numberedLines(0, 100),
         numberedLines(0, 19) + "\n…\n" + numberedLines(81, 100)},
        {"lines at the bound", numberedLines(0, 40), numberedLines(0, 40)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(shortenedForBox(row.text), row.shown);
    }
}

} // namespace
