#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/start.h"
#include "fakes/fake_jet.h"
#include "fakes/fake_services.h"
#include "jet/jet_offer.h"
#include "store/catalogue_db.h"
#include "ui/main/form1.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class JetOfferTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QUILMO_FIXTURES_DIR "/jet/jet3-sample.mdb"), path()));
        jetBytes = fileBytes(path());
    }
    QString path() const { return catalogueFilePath(dir.path()); }
    // Opens the fake whatever the path, and records that it was asked.
    jet::JetOpener fakeOpener()
    {
        return
            [this](const QString& opened, const JetReadOptions&) -> std::unique_ptr<JetDatabase> {
                openedPath = opened;
                return std::make_unique<FakeJetDatabase>(source);
            };
    }

    QTemporaryDir dir;
    QByteArray jetBytes;
    FakeJetDatabase source = fakeJetCatalogue();
    QString openedPath;
    FakeDialogs dialogs;
};

} // namespace

TEST_F(JetOfferTest, NoLeavesTheFileAsItIs)
{
    dialogs.answer({false});
    EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path(), fakeOpener()));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].question);
    EXPECT_EQ(dialogs.shown[0].title, "確認!");
    const QString question = dialogs.shown[0].text;
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(path()))) << question.toStdString();
    EXPECT_TRUE(question.contains("Jet 3"));
    EXPECT_TRUE(question.contains("QUILMO.mdb.jet"));
    EXPECT_TRUE(openedPath.isEmpty());
    EXPECT_EQ(fileBytes(path()), jetBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"QUILMO.mdb"});
}

TEST_F(JetOfferTest, YesConvertsAndReportsTheCounts)
{
    source.tables["カテゴリ"].rows = {{QStringLiteral("文書")}, {QStringLiteral("ぶんしょ")}};
    addFakeTitle(source, {QStringLiteral("a"), QStringLiteral(" "), QStringLiteral("c:\\a.jpg")});
    addFakeTitle(source, {QStringLiteral("b"), QStringLiteral(" "), QStringLiteral("/home/b.jpg")});
    dialogs.answer({true});
    EXPECT_FALSE(jet::offerJetConversion(dialogs, dir.path(), fakeOpener()));
    EXPECT_EQ(openedPath, path());
    ASSERT_EQ(dialogs.shown.size(), 2u);
    const QString report = dialogs.shown[1].text;
    EXPECT_FALSE(dialogs.shown[1].question);
    EXPECT_TRUE(report.contains("カテゴリ：2 件")) << report.toStdString();
    EXPECT_TRUE(report.contains("タイトル：2 件"));
    EXPECT_TRUE(report.contains("QUILMO.mdb.jet"));
    EXPECT_FALSE(report.contains("同じと")) << "文書 and ぶんしょ differ under the rule";
    EXPECT_TRUE(report.contains("パスを持つタイトルが 1 件"));
    EXPECT_TRUE(report.contains("コンバージョン機能"));
    EXPECT_EQ(fileBytes(path() + ".jet"), jetBytes);
    EXPECT_NO_THROW(CatalogueDb db(path()));
}

TEST_F(JetOfferTest, ReportNamesSameNamesAndSaysNothingOfDrivesWhenThereAreNone)
{
    addFakeTitle(source, {QStringLiteral("カナ")});
    addFakeTitle(source, {QStringLiteral("ｶﾅ")});
    dialogs.answer({true});
    EXPECT_FALSE(jet::offerJetConversion(dialogs, dir.path(), fakeOpener()));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(dialogs.shown[1].text.contains("みなされる名前が 1 件"))
        << dialogs.shown[1].text.toStdString();
    EXPECT_FALSE(dialogs.shown[1].text.contains("ドライブ"));
}

TEST_F(JetOfferTest, AFailureIsShownWithItsReasonAndTheFileStays)
{
    source.tables.erase("タイトル");
    dialogs.answer({true});
    EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path(), fakeOpener()));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(dialogs.shown[1].text.contains("表「タイトル」がありません"))
        << dialogs.shown[1].text.toStdString();
    EXPECT_TRUE(dialogs.shown[1].text.contains("変更していません"));
    EXPECT_EQ(fileBytes(path()), jetBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"QUILMO.mdb"});
}

TEST_F(JetOfferTest, TheRealReaderOnTheSampleFailsWithAReason)
{
    dialogs.answer({true});
    EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path()));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(dialogs.shown[1].text.contains("表「カテゴリ」がありません"));
    EXPECT_EQ(fileBytes(path()), jetBytes);
}

TEST_F(JetOfferTest, OtherFilesAreNotOffered)
{
    QTemporaryDir empty;
    EXPECT_FALSE(jet::offerJetConversion(dialogs, empty.path(), fakeOpener()));
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(empty.path())));
    EXPECT_FALSE(jet::offerJetConversion(dialogs, empty.path(), fakeOpener()));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(openedPath.isEmpty());
}

TEST_F(JetOfferTest, StartWithAJetFileAnsweredNoOpensTheWindow)
{
    FakeServices fakes;
    fakes.dialogs.answer({false});
    const auto form =
        openMainWindow(fakes.services(), dir.path(), QStringLiteral(QUILMO_ASSETS_DIR));
    EXPECT_TRUE(form->isVisible());
    // The question names the file; no second box about a foreign file follows.
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.shown[0].question);
    EXPECT_TRUE(fakes.dialogs.shown[0].text.contains("Jet 3"));
    EXPECT_EQ(fileBytes(path()), jetBytes);
}
