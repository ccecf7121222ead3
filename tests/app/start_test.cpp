#include <QComboBox>
#include <QDateTime>
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

namespace
{

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// The bytes of a real catalogue, cut after its first 1000.
QByteArray truncatedCatalogue(const QString& folder)
{
    const QString path = folder + "/whole.mdb";
    EXPECT_TRUE(createCatalogueIfMissing(path));
    {
        CatalogueDb db(path);
        db.exec("INSERT INTO カテゴリ (カテゴリ名) VALUES ('本')");
    }
    QByteArray bytes = fileBytes(path);
    EXPECT_GT(bytes.size(), 1000);
    bytes.truncate(1000);
    return bytes;
}

QByteArray foreignDatabase(const QString& folder)
{
    const QString path = folder + "/foreign.db";
    {
        SqliteDatabase db(path, SqliteDatabase::OpenMode::CreateIfMissing);
        db.exec("CREATE TABLE notes (body TEXT)");
        db.exec("INSERT INTO notes VALUES ('よその表')");
        // A table of the catalogue's name but not its columns counts for nothing.
        db.exec("CREATE TABLE カテゴリ (番号 INTEGER)");
    }
    return fileBytes(path);
}

TEST_F(StartTest, FileThatIsNoCatalogueIsNamedOnceAndKeptByteForByte)
{
    const QString scratch = root.filePath("scratch");
    ASSERT_TRUE(QDir().mkpath(scratch));
    QByteArray garbage("これはカタログではありません\0\x01\x02\xff", 46);
    garbage += QByteArray(5000, '\x5a');
    const std::pair<const char*, QByteArray> cases[] = {
        {"garbage", garbage},
        // sqlite3 reads an empty file as an empty database; it holds no
        // tables, so it is no catalogue either.
        {"empty", QByteArray()},
        {"truncated", truncatedCatalogue(scratch)},
        {"foreign", foreignDatabase(scratch)},
    };
    for (const auto& [label, bytes] : cases) {
        SCOPED_TRACE(label);
        const QString folder = root.filePath(QStringLiteral("data-") + label);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString file = catalogueFilePath(folder);
        writeFile(file, bytes);
        EXPECT_FALSE(isCatalogueFile(file));

        FakeServices local;
        const auto form = openMainWindow(local.services(), folder, shared());
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(local.dialogs.shown.size(), 1u);
        EXPECT_FALSE(local.dialogs.shown[0].question);
        EXPECT_EQ(local.dialogs.shown[0].text, notACatalogueText(file));
        EXPECT_TRUE(local.dialogs.shown[0].text.contains(QDir::toNativeSeparators(file)));

        // Working on reports on the status line and still writes nothing.
        form->Text8->clear();
        form->Combo2->setCurrentText("登録");
        form->Combo1->setEditText("本");
        local.dialogs.answers.push_back(true);
        form->Command1->click();
        EXPECT_FALSE(form->Text8->text().isEmpty());
        EXPECT_EQ(local.dialogs.shown.size(), 2u); // the confirmation only
        EXPECT_EQ(fileBytes(file), bytes);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"QUILMO.mdb"}));
    }
}

TEST_F(StartTest, HealthyCatalogueOpensWithoutABox)
{
    ASSERT_TRUE(QDir().mkpath(data()));
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(data())));
    const QByteArray before = fileBytes(catalogueFilePath(data()));
    EXPECT_TRUE(isCatalogueFile(catalogueFilePath(data())));
    const auto form = openMainWindow(fakes.services(), data(), shared());
    EXPECT_TRUE(fakes.dialogs.shown.empty());
    EXPECT_EQ(fileBytes(catalogueFilePath(data())), before);
    EXPECT_FALSE(isCatalogueFile(root.filePath("missing.mdb")));
}

TEST_F(StartTest, StagingFilesFromBeforeThisStartAreRemovedOthersStay)
{
    ASSERT_TRUE(QDir().mkpath(data()));
    const QString base = catalogueFilePath(data());
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(3600);
    const QString outside = root.filePath("elsewhere.txt");
    writeFile(outside, "keep");
    setModified(outside, past);

    for (const char* stale : {".new-0d1c", ".new-0d1c-journal", ".new-"}) {
        writeFile(base + stale, "half built");
        setModified(base + stale, past);
    }
    // A first start running beside this one writes its file after ours began.
    writeFile(base + ".new-running", "being built");
    setModified(base + ".new-running", later);
    ASSERT_TRUE(QDir().mkpath(base + ".new-folder"));
    ASSERT_TRUE(QFile::link(outside, base + ".new-link"));
    for (const char* other : {".old", ".new", ".NEW-0d1c"}) {
        writeFile(base + other, "not staging");
        setModified(base + other, past);
    }
    writeFile(data() + "/copy-QUILMO.mdb.new-1", "not staging");
    setModified(data() + "/copy-QUILMO.mdb.new-1", past);

    const auto form = openMainWindow(fakes.services(), data(), shared());
    EXPECT_TRUE(fakes.dialogs.shown.empty());
    EXPECT_TRUE(isCatalogueFile(base));
    QStringList left =
        QDir(data()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left,
              (QStringList{"QUILMO.mdb", "QUILMO.mdb.NEW-0d1c", "QUILMO.mdb.new",
                           "QUILMO.mdb.new-folder", "QUILMO.mdb.new-link", "QUILMO.mdb.new-running",
                           "QUILMO.mdb.old", "copy-QUILMO.mdb.new-1", "手書きメモ"}))
        << left.join(' ').toStdString();
    EXPECT_EQ(fileBytes(outside), "keep");
}

TEST_F(StartTest, StagingFilesBesideAnUnreadableCatalogueGoToo)
{
    ASSERT_TRUE(QDir().mkpath(data()));
    const QString base = catalogueFilePath(data());
    writeFile(base, "garbage");
    writeFile(base + ".new-1", "half built");
    setModified(base + ".new-1", QDateTime::currentDateTimeUtc().addSecs(-60));
    const auto form = openMainWindow(fakes.services(), data(), shared());
    EXPECT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(base + ".new-1"));
    EXPECT_EQ(fileBytes(base), "garbage");
}

} // namespace
