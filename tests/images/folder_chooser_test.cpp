#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTest>

#include "images/form3.h"
#include "support/form_fixture.h"

namespace {

class FolderChooserTest : public FormFixture {
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
        auto* model = static_cast<QFileSystemModel*>(window.Dir1->model());
        QModelIndex index;
        [&] { QTRY_VERIFY((index = model->index(path)).isValid()); }();
        return index;
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
