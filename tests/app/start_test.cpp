#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/data_folder.h"
#include "app/start.h"
#include "fakes/fake_services.h"
#include "memo/memo_files.h"
#include "store/catalogue_db.h"
#include "ui/main/form1.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A data folder and, apart from it, a copy of the shipped files, as an
// installed program has them.
class StartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* name : {"help", "手書きメモ", "icons"})
            ASSERT_TRUE(QDir().mkpath(shared() + "/" + name));
        for (const char* name : {"help/help.html", "banner.png", "手書きメモ/quilmo.ole",
                                 "icons/quilmo-16.png", "icons/quilmo-32.png"})
            ASSERT_TRUE(
                QFile::copy(QStringLiteral(QUILMO_ASSETS_DIR "/") + name, shared() + "/" + name));
    }
    QString shared() const { return root.filePath("share/quilmo"); }
    QString data() const { return root.filePath("home/.local/share/QUILMO"); }
    QString defaultMemo() const { return memo::defaultMemoPath(shared()); }

    QTemporaryDir root;
    FakeServices fakes;
};

TEST_F(StartTest, FirstStartMakesTheDataFolderAndOpensTheWindowQuietly)
{
    const auto form = openMainWindow(fakes.services(), data(), shared());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(fakes.dialogs.shown.empty());
    EXPECT_TRUE(QFileInfo(catalogueFilePath(data())).isFile());
    EXPECT_EQ(form->databasePath(), catalogueFilePath(data()));
    EXPECT_TRUE(QFileInfo(data() + "/手書きメモ").isDir());
    // Nothing is written among the shipped files.
    EXPECT_EQ(QDir(shared()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"banner.png", "help", "icons", "手書きメモ"}));

    // The help page comes from the shipped files, not from the data folder.
    form->Command18->click();
    ASSERT_EQ(fakes.browser.windows.size(), 1u);
    EXPECT_EQ(fakes.browser.windows[0]->addresses, QStringList{shared() + "/help/help.html"});
}

TEST_F(StartTest, CatalogueThatCannotBeMadeIsToldOnceAndTheWindowStillOpens)
{
    QFile inTheWay(root.filePath("home"));
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();

    const auto form = openMainWindow(fakes.services(), data(), shared());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_FALSE(fakes.dialogs.shown[0].question);
    EXPECT_TRUE(fakes.dialogs.shown[0].text.contains(data()))
        << fakes.dialogs.shown[0].text.toStdString();
    // The operations say for themselves that they found no catalogue.
    EXPECT_FALSE(form->Text8->text().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(catalogueFilePath(data())));

    // Working on in that window reports on the status line, not in boxes.
    form->Text8->clear();
    form->Combo1->setEditText("本");
    form->Command1->click();
    EXPECT_FALSE(form->Text8->text().isEmpty());
    EXPECT_EQ(fakes.dialogs.shown.size(), 1u);
}

TEST_F(StartTest, TitleNamedLikeTheBlankMemoSavesAMemoOfItsOwn)
{
    const QByteArray blank = fileBytes(defaultMemo());
    ASSERT_FALSE(blank.isEmpty());
    const auto form = openMainWindow(fakes.services(), data(), shared());

    QImage drawn(memo::kBlankSize, QImage::Format_RGB32);
    drawn.fill(Qt::red);
    form->Text2->setText("quilmo");
    form->OLE2->setPixmap(QPixmap::fromImage(drawn));
    form->Command39->click();
    EXPECT_NE(form->Text8->text(), "手書きメモ・ファイルの保存でエラーが発生しました。");

    EXPECT_EQ(fileBytes(defaultMemo()), blank);
    const QImage saved = memo::readMemo(data() + "/手書きメモ/quilmo.ole");
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), drawn);

    // A new memo still starts from the blank one, and "quilmo" from its own.
    form->Text2->setText("新しいタイトル");
    form->Command38->click();
    EXPECT_EQ(form->Text8->text(), "新規作成です。");
    EXPECT_EQ(fakes.paint.picture.convertToFormat(QImage::Format_RGB32),
              memo::readMemo(defaultMemo()).convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(fakes.paint.picture.convertToFormat(QImage::Format_RGB32), drawn);
    form->Text8->clear();
    form->Text2->setText("quilmo");
    form->Command38->click();
    EXPECT_EQ(form->Text8->text(), "");
    EXPECT_EQ(fakes.paint.picture.convertToFormat(QImage::Format_RGB32), drawn);
}

TEST_F(StartTest, PortableFolderKeepsItsCatalogueAndMemos)
{
    const QString program = root.filePath("portable");
    ASSERT_TRUE(QDir().mkpath(program + "/手書きメモ"));
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(program)));
    {
        CatalogueDb db(catalogueFilePath(program));
        db.exec("INSERT INTO カテゴリ (カテゴリ名) VALUES ('持ち運び')");
    }
    const QString folder = chooseDataFolder(program, {}, data());
    const auto form = openMainWindow(fakes.services(), folder, shared());
    EXPECT_TRUE(fakes.dialogs.shown.empty());
    EXPECT_EQ(form->databasePath(), catalogueFilePath(program));
    EXPECT_EQ(form->Combo1->currentText(), "持ち運び");
    EXPECT_FALSE(QFileInfo::exists(data()));
}

} // namespace
