#include <gtest/gtest.h>

#include <QString>

#include "launch/path_helpers.h"
#include "support/qt_printers.h"

using Module1::ExtractFileName;
using Module1::ExtractFolderName;
using Module1::ExtractFolderPath;

namespace {

struct Case {
    const char* input;
    const char* expected;
};

void expectAll(QString (*function)(const QString&), std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(function(QString::fromUtf8(c.input)), QString::fromUtf8(c.expected))
            << "input: [" << c.input << "]";
    }
}

} // namespace

TEST(PathHelpers, FolderPathOfWindowsPaths)
{
    expectAll(ExtractFolderPath, {
                                     {"C:\\Docs\\report.xls", "C:\\Docs\\"},
                                     {"C:\\Docs\\Sub", "C:\\Docs\\Sub\\"},
                                     {"C:\\My.Docs\\Sub", "C:\\My.Docs\\"},
                                     {"D:", "D:\\"},
                                     {"C:report.xls", "C:"},
                                     {"report.xls", "report.xls"},
                                     {"  C:\\Docs\\a.txt  ", "C:\\Docs\\"},
                                 });
}

TEST(PathHelpers, FolderPathOfSlashPathsKeepsTheirStyle)
{
    expectAll(ExtractFolderPath, {
                                     {"/home/u/Docs/report.xls", "/home/u/Docs/"},
                                     {"/home/u/Docs/Sub", "/home/u/Docs/Sub/"},
                                     {"/home/u/My.Docs/Sub", "/home/u/My.Docs/"},
                                     {"  /srv/a.txt ", "/srv/"},
                                     {"Docs", "Docs/"},
                                     // A mixed path appends the kind it ends with.
                                     {"C:\\Data/Sub", "C:\\Data/Sub/"},
                                     {"/mnt\\share", "/mnt\\share\\"},
                                 });
}

TEST(PathHelpers, FolderPathOfNothingIsTheRoot)
{
    EXPECT_EQ(ExtractFolderPath(""), "/");
    EXPECT_EQ(ExtractFolderPath("   "), "/");
}

TEST(PathHelpers, FileName)
{
    expectAll(ExtractFileName, {
                                   {"C:\\Docs\\report.xls", "report.xls"},
                                   {"C:\\Docs\\", ""},
                                   {"C:report.xls", "report.xls"},
                                   {"report.xls", ""},
                                   {"C:", ""},
                                   {"", ""},
                                   {"  C:\\Docs\\a b.txt  ", "a b.txt"},
                                   {"/home/u/report.xls", "report.xls"},
                                   {"/home/u/", ""},
                                   {"/report.xls", "report.xls"},
                                   {"/", ""},
                                   {"C:\\Data/photo.jpg", "photo.jpg"},
                               });
}

TEST(PathHelpers, FolderName)
{
    expectAll(ExtractFolderName, {
                                     {"C:\\Photos\\Trip\\img01.jpg", "Trip"},
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
                                     {"  /a/旅行/img.jpg  ", "旅行"},
                                 });
}
