#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTest>

#include "images/form3.h"
#include "support/form_fixture.h"

namespace
{

class FolderChooserTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(QDir(folder.path()).mkpath("tools/bin"));
        ASSERT_TRUE(QDir(folder.path()).mkpath("tools/lib"));
        makeForm();
    }

    QString tools() const { return folder.filePath("tools"); }

    Form3* chooser()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto open = form->findChildren<Form3*>();
        EXPECT_LE(open.size(), 1);
        return open.value(0);
    }

    Form3& browse(const QString& workingFolder)
    {
        form->Text6->setText(workingFolder);
        form->Command12->click();
        Form3* shown = chooser();
        EXPECT_TRUE(shown && shown->isVisible());
        return *shown;
    }

    // The tree's entry for path, once the model has read its folder.
    QModelIndex entry(Form3& window, const QString& path)
    {
        QModelIndex index;
        [&] { QTRY_VERIFY((index = window.Dir1->indexOf(path)).isValid()); }();
        return index;
    }

    static bool marked(const QModelIndex& index)
    {
        return index.data(Qt::FontRole).value<QFont>().bold();
    }
    // The open folder is marked and the only one marked, among the rows of
    // its parent.
    static void expectOnlyMarked(const QModelIndex& open)
    {
        EXPECT_TRUE(marked(open));
        const QAbstractItemModel* model = open.model();
        for (int row = 0; row < model->rowCount(open.parent()); ++row) {
            if (row != open.row()) {
                EXPECT_FALSE(marked(model->index(row, 0, open.parent()))) << row;
            }
        }
    }
    static bool inView(Form3& window, const QModelIndex& index)
    {
        const QRect row = window.Dir1->visualRect(index);
        return row.isValid() && window.Dir1->viewport()->rect().contains(row);
    }
};

TEST_F(FolderChooserTest, ExistingFolderOpensThereAndOkWritesItBack)
{
    form->Text8->setText("前の操作");
    Form3& window = browse(tools());
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_EQ(window.windowTitle(), "作業フォルダの参照");
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.Dir1->path(), tools());
    EXPECT_EQ(window.Drive1->currentData().toString(), QStorageInfo(tools()).rootPath());
    EXPECT_EQ(QDir::current(), QDir(tools()));

    window.Command1->click();
    EXPECT_EQ(form->Text6->text(), tools());
    EXPECT_EQ(chooser(), nullptr);

    // A trailing separator is not part of the folder taken back.
    browse(tools() + "/").Command1->click();
    EXPECT_EQ(form->Text6->text(), tools());
}

TEST_F(FolderChooserTest, CancelLeavesTheFieldAsItWas)
{
    Form3& window = browse(tools());
    const QModelIndex bin = entry(window, tools() + "/bin");
    emit window.Dir1->doubleClicked(bin);
    window.Command3->click();
    EXPECT_EQ(form->Text6->text(), tools());
    EXPECT_EQ(chooser(), nullptr);
}

TEST_F(FolderChooserTest, OnlyAnOpenedFolderIsTaken)
{
    Form3& window = browse(tools());
    // Highlighting a folder does not open it.
    window.Dir1->setCurrentIndex(entry(window, tools() + "/lib"));
    EXPECT_EQ(window.Dir1->path(), tools());
    // A double-click does.
    emit window.Dir1->doubleClicked(entry(window, tools() + "/bin"));
    EXPECT_EQ(window.Dir1->path(), tools() + "/bin");
    window.Dir1->setCurrentIndex(entry(window, tools() + "/lib"));
    window.Command1->click();
    EXPECT_EQ(form->Text6->text(), tools() + "/bin");
}

TEST_F(FolderChooserTest, PickingTheVolumeAlreadyShownKeepsTheOpenedFolder)
{
    Form3& window = browse(tools());
    emit window.Drive1->activated(window.Drive1->currentIndex());
    EXPECT_EQ(window.Dir1->path(), tools());
}

TEST_F(FolderChooserTest, BlankOrMissingFolderOpensAtHomeWithoutAMessage)
{
    for (const QString& workingFolder : {QString(), QString(" "), folder.filePath("gone")}) {
        SCOPED_TRACE(workingFolder.toStdString());
        Form3& window = browse(workingFolder);
        EXPECT_EQ(window.Dir1->path(), QDir::cleanPath(QDir::homePath()));
        EXPECT_TRUE(form->Text8->text().isEmpty());
        window.Command3->click();
        EXPECT_EQ(form->Text6->text(), workingFolder);
    }
    EXPECT_TRUE(fakes.dialogs.shown.empty());
}

TEST_F(FolderChooserTest, SecondPressShowsTheSameWindow)
{
    Form3& first = browse(tools());
    emit first.Dir1->doubleClicked(entry(first, tools() + "/bin"));
    Form3& second = browse(tools());
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.Dir1->path(), tools() + "/bin");
}

TEST_F(FolderChooserTest, VolumeRootIsAFolderToOpenAndTake)
{
    Form3& window = browse(tools());
    const QString root = QDir::cleanPath(window.Drive1->currentData().toString());
    const QModelIndex top = entry(window, root);
    // The root is the one entry at the top of the tree, not its invisible
    // frame.
    EXPECT_EQ(top.parent(), window.Dir1->rootIndex());
    EXPECT_EQ(window.Dir1->model()->rowCount(window.Dir1->rootIndex()), 1);
    EXPECT_FALSE(marked(top));

    emit window.Dir1->doubleClicked(top);
    EXPECT_EQ(window.Dir1->path(), root);
    EXPECT_TRUE(marked(entry(window, root)));
    EXPECT_EQ(window.Dir1->currentIndex(), entry(window, root));
    EXPECT_EQ(window.Label1->toolTip(), root);
    EXPECT_FALSE(marked(entry(window, tools())));
    window.Command1->click();
    EXPECT_EQ(form->Text6->text(), root);

    // The file system root, listed first, opens as itself too (when the
    // folder lies on a volume of its own).
    if (root == QDir::rootPath())
        return;
    Form3& again = browse(tools());
    again.Drive1->setCurrentIndex(0);
    again.Drive1_Change();
    EXPECT_EQ(again.Dir1->path(), QDir::rootPath());
    EXPECT_TRUE(marked(entry(again, QDir::rootPath())));
    again.Command1->click();
    EXPECT_EQ(form->Text6->text(), QDir::rootPath());
}

TEST_F(FolderChooserTest, OpenFolderIsMarkedAndScrolledIntoView)
{
    // Enough neighbours that the open folder lies far below the first rows.
    for (int i = 0; i < 80; ++i)
        ASSERT_TRUE(QDir(tools()).mkdir(QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0'))));
    const QString deep = tools() + "/d77";
    Form3& window = browse(deep);
    const QModelIndex open = entry(window, deep);
    expectOnlyMarked(open);
    // Once the folder is read and sorted, "bin" lies far above the open one:
    // only a scrolled view shows "d77".
    QTRY_VERIFY(inView(window, entry(window, deep)) &&
                !inView(window, entry(window, tools() + "/bin")));
    EXPECT_EQ(window.Label1->toolTip(), deep);
    EXPECT_FALSE(window.Label1->text().isEmpty());

    // Highlighting another folder moves no mark.
    window.Dir1->setCurrentIndex(entry(window, tools() + "/d03"));
    expectOnlyMarked(entry(window, deep));
    EXPECT_EQ(window.Label1->toolTip(), deep);

    // Opening one moves the mark and the view with it.
    emit window.Dir1->doubleClicked(entry(window, tools() + "/bin"));
    expectOnlyMarked(entry(window, tools() + "/bin"));
    EXPECT_FALSE(marked(entry(window, deep)));
    QTRY_VERIFY(inView(window, entry(window, tools() + "/bin")));
    EXPECT_EQ(window.Label1->toolTip(), tools() + "/bin");
}

TEST_F(FolderChooserTest, VolumeListStartsAtTheFileSystemRoot)
{
    Form3& window = browse(tools());
    ASSERT_GE(window.Drive1->count(), 1);
    EXPECT_EQ(window.Drive1->itemData(0).toString(), QDir::rootPath());

    // Choosing another volume opens its root.
    int other = 0;
    while (other < window.Drive1->count() && other == window.Drive1->currentIndex())
        ++other;
    if (other == window.Drive1->count())
        GTEST_SKIP() << "only one volume is mounted";
    const QString root = window.Drive1->itemData(other).toString();
    window.Drive1->setCurrentIndex(other);
    window.Drive1_Change();
    EXPECT_EQ(window.Dir1->path(), root);
    EXPECT_EQ(QDir::currentPath(), root);
    window.Command1->click();
    EXPECT_EQ(form->Text6->text(), root);
}

} // namespace
