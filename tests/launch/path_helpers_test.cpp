#include <gtest/gtest.h>

#include "launch/path_helpers.h"

using namespace Module1;

namespace
{

using Helper = QString (*)(const QString&);

// Each row: input, expected result; Windows paths first, then the same cuts
// on Linux paths, whose appended separator follows their own style.
void expectCuts(Helper helper, std::initializer_list<std::pair<const char*, const char*>> rows)
{
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(helper(QString::fromUtf8(input)).toStdString(), expected) << "[" << input << "]";
}

} // namespace

TEST(PathHelpers, FolderPath)
{
    expectCuts(ExtractFolderPath, {{"C:\\Docs\\report.xls", "C:\\Docs\\"},
                                   {"C:\\Docs\\Sub", "C:\\Docs\\Sub\\"},
                                   {"C:\\My.Docs\\Sub", "C:\\My.Docs\\"},
                                   {"D:", "D:\\"},
                                   {"C:report.xls", "C:"},
                                   {"report.xls", "report.xls"},
                                   {"  C:\\Docs\\a.txt  ", "C:\\Docs\\"},
                                   {"", "/"},
                                   {"   ", "/"},
                                   {"/home/u/Docs/report.xls", "/home/u/Docs/"},
                                   {"/home/u/Docs/Sub", "/home/u/Docs/Sub/"},
                                   {"/home/u/My.Docs/Sub", "/home/u/My.Docs/"},
                                   {"  /srv/a.txt ", "/srv/"},
                                   {"Docs", "Docs/"},
                                   {"C:\\Data/Sub", "C:\\Data/Sub/"},
                                   {"/mnt\\share", "/mnt\\share\\"}});
}

TEST(PathHelpers, FileName)
{
    expectCuts(ExtractFileName, {{"C:\\Docs\\report.xls", "report.xls"},
                                 {"C:\\Docs\\", ""},
                                 {"C:report.xls", "report.xls"},
                                 {"report.xls", ""},
                                 {"C:", ""},
                                 {"", ""},
                                 {"  C:\\Docs\\a b.txt  ", "a b.txt"},
                                 {"/home/u/report.xls", "report.xls"},
                                 {"/home/u/", ""},
                                 {"/report.xls", "report.xls"},
                                 {"C:\\Data/photo.jpg", "photo.jpg"}});
}

TEST(PathHelpers, FolderName)
{
    expectCuts(ExtractFolderName, {{"C:\\Photos\\Trip\\img01.jpg", "Trip"},
                                   {"C:\\Photos\\Trip\\", "Trip"},
                                   {"C:\\img01.jpg", "C:"},
                                   {"img01.jpg", ""},
                                   {"\\img01.jpg", ""},
                                   {"", ""},
                                   {"/home/u/Trip/img01.jpg", "Trip"},
                                   {"/home/u/Trip/", "Trip"},
                                   {"/img01.jpg", ""},
                                   {"Trip/img01.jpg", "Trip"},
                                   {"C:\\Photos/Trip\\img01.jpg", "Trip"},
                                   {"  /a/旅行/img.jpg  ", "旅行"}});
}
