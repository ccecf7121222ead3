#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "launch/launcher.h"
#include "platform/dialogs.h"
#include "support/form_fixture.h"
#include "support/test_pictures.h"
#include "ui/combo_box.h"

namespace
{

// The pickers change the process's current folder on purpose; every case
// puts it back so the others start from the same place.
class FileDialogsTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        m_startFolder = QDir::currentPath();
        makeForm();
        docs = folder.filePath("Docs");
        QDir().mkpath(docs);
    }
    void TearDown() override { QDir::setCurrent(m_startFolder); }
    void choose(std::optional<QString> file) { fakes.dialogs.chosenFiles.push_back(file); }

    QString docs;

private:
    QString m_startFolder;
};

TEST_F(FileDialogsTest, LinkTargetProposesTitleAndFolderAndJoinsTheListOnce)
{
    const QString plan = docs + "/plan.xls";
    const QString before = QDir::currentPath();
    choose(plan);
    choose(plan);
    form->Text6->setText(" ");
    form->Command8->click();
    form->Command8->click();

    ASSERT_EQ(fakes.dialogs.openRequests.size(), 2u);
    const OpenFileRequest& request = fakes.dialogs.openRequests[0];
    EXPECT_EQ(request.title, "ファイルオープン");
    EXPECT_EQ(request.filter, "ファイル(*.*)|*.*");
    EXPECT_EQ(request.folder, "/");
    EXPECT_TRUE(request.fileName.isEmpty());

    EXPECT_EQ(form->Combo3->currentText(), plan);
    EXPECT_EQ(form->Text2->text(), "plan.xls");
    EXPECT_EQ(form->Text6->text(), docs + "/");
    EXPECT_EQ(comboItems(form->Combo3), QStringList{plan});
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(FileDialogsTest, LinkTargetProposesTheFolderThatReallyHoldsIt)
{
    const QString bin = folder.filePath("bin");
    const QString texts = docs + "/文書";
    QDir().mkpath(bin);
    QDir().mkpath(texts);
    const struct {
        QString chosen;
        QString folder;
    } cases[] = {
        // Names without a dot are files too: programs, READMEs.
        {bin + "/gimp", bin + "/"},
        {texts + "/README", texts + "/"},
        {docs + "/v1.2/tool", docs + "/v1.2/"},
        {"D:\\Docs\\plan.xls", "D:\\Docs\\"},
        {"/plan", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        form->Text6->clear();
        choose(c.chosen);
        form->Command8->click();
        EXPECT_EQ(form->Text6->text(), c.folder);
    }

    // The program picked there then starts in that folder.
    QFile program(bin + "/gimp");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly) && program.write("#!/bin/sh\n") > 0);
    program.close();
    ASSERT_TRUE(program.setPermissions(program.permissions() | QFile::ExeOwner));
    form->Text6->clear();
    choose(bin + "/gimp");
    form->Command8->click();
    Module1::LaunchTarget(*form);
    ASSERT_EQ(fakes.shell.calls.size(), 1u);
    EXPECT_EQ(fakes.shell.calls[0].kind, FakeShell::Call::Start);
    EXPECT_EQ(fakes.shell.calls[0].workingFolder, bin);
    EXPECT_TRUE(form->Text8->text().isEmpty());
}

TEST_F(FileDialogsTest, LinkTargetKeepsFilledTitleAndFolder)
{
    form->Text2->setText("決めた題");
    form->Text6->setText("/work");
    choose(docs + "/plan.xls");
    form->Command8->click();
    EXPECT_EQ(form->Text2->text(), "決めた題");
    EXPECT_EQ(form->Text6->text(), "/work");
}

TEST_F(FileDialogsTest, CancelledLinkTargetStillAddsTheText)
{
    choose(std::nullopt);
    form->Command8->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList{""});
    EXPECT_TRUE(form->Text2->text().isEmpty());
    choose(std::nullopt);
    form->Command8->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList{""});
}

TEST_F(FileDialogsTest, ImageNamesTheTitleAfterItsFolderAndStaysCurrent)
{
    const QString trip = docs + "/Trip";
    QDir().mkpath(trip);
    ASSERT_TRUE(writePicture(trip + "/img01.jpg", QSize(20, 20)));
    ASSERT_TRUE(writePicture(trip + "/img02.bmp", QSize(20, 20)));
    choose(trip + "/img01.jpg");
    form->Command9->click();

    EXPECT_EQ(fakes.dialogs.openRequests[0].filter,
              "画像ファイル(*.bmp,*.jpg,*.wmf,*.png)|*.bmp;*.jpg;*.wmf;*.png");
    EXPECT_EQ(form->Text5->text(), trip + "/img01.jpg");
    EXPECT_EQ(form->Text2->text(), "Trip");
    EXPECT_EQ(form->Text7->text(), "2");
    EXPECT_EQ(form->Label14->text(), "1");
    EXPECT_FALSE(form->Picture2->isHidden());
    EXPECT_EQ(QDir::currentPath(), trip);
    EXPECT_TRUE(form->Text8->text().isEmpty());
}

TEST_F(FileDialogsTest, ImageInAFolderThatCannotBeEnteredIsReported)
{
    choose("C:\\Photos\\img.jpg");
    form->Command9->click();
    EXPECT_EQ(form->Text8->text(), "フォルダ・ドライブ等の参照でエラーが発生しています。");
    EXPECT_EQ(form->Text5->text(), "C:\\Photos\\img.jpg");
}

TEST_F(FileDialogsTest, CancelledImageChangesNothing)
{
    form->Text5->setText("/kept.jpg");
    choose(std::nullopt);
    form->Command9->click();
    EXPECT_EQ(form->Text5->text(), "/kept.jpg");
    EXPECT_TRUE(form->Text2->text().isEmpty());
}

TEST_F(FileDialogsTest, OptionReplacesTheWholeTextAndKeepsTheFolder)
{
    const QString before = QDir::currentPath();
    form->Text9->setText("-old");
    choose("  " + docs + "/settings.ini ");
    form->Command17->click();
    EXPECT_EQ(fakes.dialogs.openRequests[0].filter, "画像ファイル(*.*)|*.*");
    EXPECT_EQ(form->Text9->text(), docs + "/settings.ini");
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST(OpenFilterTest, EveryFilePatternMeansEveryFileAndOthersStayAsWritten)
{
    EXPECT_EQ(qtFileFilter("ファイル(*.*)|*.*"), "ファイル(*.*) (*)");
    EXPECT_EQ(qtFileFilter("画像ファイル(*.bmp,*.jpg,*.wmf,*.png)|*.bmp;*.jpg;*.wmf;*.png"),
              "画像ファイル(*.bmp,*.jpg,*.wmf,*.png) (*.bmp *.jpg *.wmf *.png)");
    EXPECT_EQ(qtFileFilter("A|*.a; *.*|B|*.b"), "A (*.a *);;B (*.b)");
    // Only the whole pattern "*.*" stands for every file.
    EXPECT_EQ(qtFileFilter("C|*.*x;x*.*"), "C (*.*x x*.*)");
    EXPECT_EQ(qtFileFilter("no patterns"), "");
}

// The names the real Open dialog offers (listed and selectable) in folder for
// filter, read while it is shown, and the captions of its filters; the dialog
// is then cancelled.
QStringList offeredNames(const QString& folder, const QString& filter, const QString& waitFor,
                         QStringList* captions = nullptr)
{
    QStringList offered;
    int ticks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QStringList names;
        if (view) {
            const QModelIndex root = view->rootIndex();
            const QAbstractItemModel* model = view->model();
            for (int row = 0; row < model->rowCount(root); ++row) {
                const QModelIndex index = model->index(row, 0, root);
                if (model->flags(index) & Qt::ItemIsEnabled)
                    names << index.data().toString();
            }
        }
        if (names.contains(waitFor) || ++ticks > 400) {
            offered = names;
            const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; captions && types && i < types->count(); ++i)
                *captions << types->itemText(i);
            dialog->reject();
        }
    });
    poll.start(25);
    QtDialogs dialogs;
    const auto chosen =
        dialogs.openFile(nullptr, OpenFileRequest{"ファイルオープン", filter, folder, {}});
    EXPECT_FALSE(chosen.has_value());
    offered.sort();
    return offered;
}

TEST(OpenFilterTest, EveryFileDialogListsNamesWithoutADot)
{
    QTemporaryDir folder;
    for (const char* name : {"README", "setup", "a.txt", "photo.JPG"})
        ASSERT_TRUE(QFile(folder.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly));
    EXPECT_EQ(offeredNames(folder.path(), "ファイル(*.*)|*.*", "a.txt"),
              QStringList({"README", "a.txt", "photo.JPG", "setup"}));
    // A narrower filter still narrows: the dialog really applies it.
    EXPECT_EQ(offeredNames(folder.path(), "テキスト(*.txt)|*.txt", "a.txt"), QStringList{"a.txt"});
}

TEST(OpenFilterTest, EachCaptionIsShownOnce)
{
    QTemporaryDir folder;
    ASSERT_TRUE(writePicture(folder.filePath("a.bmp"), QSize(4, 4)));
    const struct {
        const char* filter;
        QStringList captions;
    } cases[] = {
        {"ファイル(*.*)|*.*", {"ファイル(*.*)"}},
        {"画像ファイル(*.bmp,*.jpg,*.wmf,*.png)|*.bmp;*.jpg;*.wmf;*.png",
         {"画像ファイル(*.bmp,*.jpg,*.wmf,*.png)"}},
        {"画像ファイル(*.*)|*.*", {"画像ファイル(*.*)"}},
        {"A|*.bmp|B(*.b)|*.b", {"A", "B(*.b)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        QStringList captions;
        offeredNames(folder.path(), QString::fromUtf8(c.filter), "a.bmp", &captions);
        EXPECT_EQ(captions, c.captions);
    }
}

} // namespace
