#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "launch/broken_links.h"
#include "launch/broken_links_window.h"
#include "support/form_fixture.h"

namespace
{

// "@" stands for the temporary tree's root in paths written in the tables.
QString at(const QTemporaryDir& root, QString path)
{
    return path.replace(QStringLiteral("@"), root.path());
}

void makeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// The tree every case looks at: a/ holds what is there, b/ a file moved out
// of a/, home/ stands for the user's home folder and cur/ for the current one.
void makeTree(const QTemporaryDir& root)
{
    for (const char* file : {"a/here.txt", "a/pic.png", "b/moved.txt", "home/h.txt", "cur/w/c.txt"})
        makeFile(at(root, QStringLiteral("@/") + QString::fromUtf8(file)));
    QFile::link(at(root, QStringLiteral("@/a/nothing")), at(root, QStringLiteral("@/a/dangling")));
}

TEST(BrokenLinksTest, listsEveryMissingTargetThumbnailAndWorkingFolder)
{
    QTemporaryDir root;
    makeTree(root);
    struct Case {
        const char* what;
        const char* links;
        const char* thumbnail;
        const char* folder;
        // field letter (L, T, W), line, path looked for; empty when nothing is missing
        std::vector<std::tuple<char, int, const char*>> missing;
    };
    const std::vector<Case> cases = {
        {"all present", "@/a/here.txt\r\n", "@/a/pic.png", "@/a", {}},
        {"moved file", "@/a/moved.txt\r\n", " ", " ", {{'L', 0, "@/a/moved.txt"}}},
        {"missing folder", "@/gone/x.txt\r\n", " ", " ", {{'L', 0, "@/gone/x.txt"}}},
        {"one line among several",
         "@/a/here.txt\r\n@/a/moved.txt\r\n@/b/moved.txt\r\n",
         " ",
         " ",
         {{'L', 1, "@/a/moved.txt"}}},
        {"web addresses are not fetched",
         "http://nowhere.invalid/x\r\nftp://h/f\r\n",
         " ",
         " ",
         {}},
        {"an address of no form", "http://a b/\r\n", " ", " ", {{'L', 0, "http://a b/"}}},
        {"blank fields", " \r\n\r\n　\r\n", "", "　", {}},
        {"thumbnail missing", " \r\n", "@/a/gone.png", " ", {{'T', 0, "@/a/gone.png"}}},
        {"working folder missing", " \r\n", " ", "@/nofolder", {{'W', 0, "@/nofolder"}}},
        {"relative to the working folder",
         "here.txt\r\nmoved.txt\r\n",
         "pic.png",
         "@/a",
         {{'L', 1, "@/a/moved.txt"}}},
        {"relative with a blank folder: home",
         "h.txt\r\nx.txt\r\n",
         " ",
         " ",
         {{'L', 1, "@/home/x.txt"}}},
        {"relative working folder: current folder", "c.txt\r\n", " ", "w", {}},
        {"a link whose target is gone", "@/a/dangling\r\n", " ", " ", {{'L', 0, "@/a/dangling"}}},
        {"a last line without line end",
         "@/a/here.txt\r\n@/a/gone",
         " ",
         " ",
         {{'L', 1, "@/a/gone"}}},
    };
    QList<StoredTitle> titles;
    for (const Case& c : cases) {
        StoredTitle title;
        title.row = titles.size() + 1;
        title.record.name = QString::fromUtf8(c.what);
        title.record.linkTargets = at(root, QString::fromUtf8(c.links));
        title.record.thumbnailPath = at(root, QString::fromUtf8(c.thumbnail));
        title.record.workingFolder = at(root, QString::fromUtf8(c.folder));
        titles.append(title);
    }
    qsizetype lastDone = -1;
    const QList<BrokenTitle> broken =
        findBrokenLinks(titles, at(root, QStringLiteral("@/home")),
                        at(root, QStringLiteral("@/cur")), [&](qsizetype done, qsizetype total) {
                            EXPECT_EQ(total, titles.size());
                            lastDone = done;
                        });
    EXPECT_EQ(lastDone, titles.size());
    qsizetype next = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.missing.empty()) {
            EXPECT_TRUE(next >= broken.size() ||
                        broken[next].title.record.name != QString::fromUtf8(c.what));
            continue;
        }
        ASSERT_LT(next, broken.size());
        const BrokenTitle& found = broken[next++];
        ASSERT_EQ(found.title.record.name, QString::fromUtf8(c.what));
        ASSERT_EQ(found.missing.size(), qsizetype(c.missing.size()));
        for (size_t i = 0; i < c.missing.size(); ++i) {
            const auto& [field, line, path] = c.missing[i];
            const MissingLink& m = found.missing[qsizetype(i)];
            EXPECT_EQ(m.field, field == 'L'   ? LinkField::LinkTarget
                               : field == 'T' ? LinkField::Thumbnail
                                              : LinkField::WorkingFolder);
            EXPECT_EQ(m.line, line);
            EXPECT_EQ(m.resolved, at(root, QString::fromUtf8(path)));
        }
    }
    EXPECT_EQ(next, broken.size());

    std::atomic_bool cancel = true;
    EXPECT_TRUE(findBrokenLinks(titles, QString(), QString(), {}, &cancel).isEmpty());
}

// The window over a catalogue: the check, a re-link below a folder with one,
// several and no files of the same name, and what the catalogue then holds.
class BrokenLinksWindowTest : public FormFixture
{
};

TEST_F(BrokenLinksWindowTest, relinksWhatTheUserAcceptsAndNothingElse)
{
    QTemporaryDir root;
    for (const char* file : {"new/one.txt", "new/x/two.txt", "new/y/two.txt", "new/pic.png",
                             "new/x/changed.txt", "old/here.txt"})
        makeFile(at(root, QStringLiteral("@/") + QString::fromUtf8(file)));
    QDir().mkpath(at(root, QStringLiteral("@/new/work")));
    sql("INSERT INTO カテゴリ VALUES ('書籍')");
    const QStringList inserted = {
        // name, thumbnail, link targets, working folder
        "one|@/old/pic.png|@/old/here.txt\r\n@/old/one.txt\r\n|@/old/work",
        "several| |@/old/two.txt\r\n| ",
        "none|@/old/here.txt| @/old/gone.txt\r\n| ",
        "changed|  |@/old/changed.txt\r\n| ",
    };
    for (const QString& row : inserted) {
        const QStringList f = at(root, row).split(QLatin1Char('|'));
        sql("INSERT INTO タイトル VALUES (?, 'd', ?, ?, '書籍', ?, 'opt')", f);
    }
    makeForm();
    form->BrokenLinksAction->trigger();
    auto* window = qobject_cast<BrokenLinksWindow*>(form->brokenLinksWindow.data());
    ASSERT_TRUE(window);
    QTRY_VERIFY(!window->checking());
    ASSERT_EQ(window->list->topLevelItemCount(), 6);

    // Opening a row loads its title into the main window.
    window->list->setCurrentItem(window->list->topLevelItem(3));
    window->openSelected();
    EXPECT_EQ(form->Text2->text(), QStringLiteral("several"));
    EXPECT_EQ(form->Combo1->currentText(), QStringLiteral("書籍"));

    fakes.dialogs.chosenFolders.push_back(at(root, QStringLiteral("@/new")));
    window->proposeFromFolder();
    QStringList proposed;
    for (int i = 0; i < window->list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = window->list->topLevelItem(i);
        auto* box = qobject_cast<QComboBox*>(window->list->itemWidget(item, 4));
        proposed << QString::number(item->checkState(0)) + QLatin1Char(' ') +
                        (box ? QString::number(box->count()) : item->text(4));
        if (box)
            box->setCurrentIndex(2); // several: the user picks the second
    }
    EXPECT_EQ(proposed, at(root, QStringLiteral("2 @/new/one.txt|2 @/new/pic.png|2 @/new/work|"
                                                "0 3|0 （見つかりません）|2 @/new/x/changed.txt"))
                            .split(QLatin1Char('|')));

    // Changed by someone else after the check: left as they wrote it.
    sql("UPDATE タイトル SET 説明 = 'edited' WHERE タイトル名 = 'changed'");
    window->writeAccepted();
    QTRY_VERIFY(!window->checking());
    EXPECT_EQ(
        rows("SELECT タイトル名, 説明, サムネイルパス, ファイルパス, 作業フォルダ, 起動オプション "
             "FROM タイトル ORDER BY rowid"),
        at(root,
           QStringLiteral("one|d|@/new/pic.png|@/old/here.txt\r\n@/new/one.txt\r\n|@/new/work|opt;"
                          "several|d| |@/new/y/two.txt\r\n| |opt;"
                          "none|d|@/old/here.txt| @/old/gone.txt\r\n| |opt;"
                          "changed|edited|  |@/old/changed.txt\r\n| |opt"))
            .split(QLatin1Char(';')));
    EXPECT_EQ(window->list->topLevelItemCount(), 2);
}

} // namespace
