#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "fakes/fake_jet.h"
#include "fakes/fake_services.h"
#include "jet/jet_conversion.h"
#include "jet/jet_offer.h"
#include "store/catalogue_db.h"
#include "store/sqlite_database.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One row per title, its seven columns in the new file's order.
std::vector<QStringList> storedTitles(const QString& path)
{
    SqliteDatabase db(path);
    auto query = db.prepare(QStringLiteral("SELECT タイトル名, 説明, サムネイルパス, ファイルパス, "
                                           "カテゴリ名, 作業フォルダ, 起動オプション "
                                           "FROM タイトル ORDER BY rowid"));
    std::vector<QStringList> rows;
    while (query.step()) {
        QStringList row;
        for (int i = 0; i < 7; ++i) {
            row << query.text(i);
        }
        rows.push_back(row);
    }
    return rows;
}

QStringList storedColumn(const QString& path, const QString& sql)
{
    SqliteDatabase db(path);
    auto query = db.prepare(sql);
    QStringList values;
    while (query.step())
        values << query.text(0);
    return values;
}

qint64 nullCount(const QString& path)
{
    SqliteDatabase db(path);
    auto query = db.prepare(QStringLiteral(
        "SELECT count(*) FROM タイトル WHERE 説明 IS NULL OR サムネイルパス IS NULL OR "
        "ファイルパス IS NULL OR カテゴリ名 IS NULL OR 作業フォルダ IS NULL OR 起動オプション IS "
        "NULL"));
    query.step();
    return query.integer(0);
}

// A data folder whose QUILMO.mdb is a real Jet file (the public sample), read
// through a fake holding the catalogue's tables.
class JetConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QUILMO_FIXTURES_DIR "/jet/jet4-sample.mdb"), path()));
        jetBytes = fileBytes(path());
    }
    QString path() const { return catalogueFilePath(dir.path()); }
    QString kept() const { return path() + ".jet"; }
    QStringList folderEntries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // After a failure: the Jet file where and as it was, and nothing beside it.
    void expectUntouched()
    {
        EXPECT_EQ(fileBytes(path()), jetBytes);
        EXPECT_EQ(folderEntries(), QStringList{"QUILMO.mdb"});
    }

    QTemporaryDir dir;
    QByteArray jetBytes;
};

} // namespace

TEST_F(JetConversionTest, EveryTextArrivesUnchanged)
{
    auto source = fakeJetCatalogue();
    source.tables["カテゴリ"].rows = {
        {QStringLiteral("文書")}, {QStringLiteral("Web サイト")}, {std::nullopt}};
    addFakeTitle(source, {QStringLiteral("議事録　第１回"), QStringLiteral("一行目\r\n二行目\r\n"),
                          QStringLiteral(" "), QStringLiteral("C:\\文書\\議事録.doc\r\n"),
                          QStringLiteral("文書"), QStringLiteral(" "), QStringLiteral(" ")});
    addFakeTitle(source, {QStringLiteral("ホーム"), std::nullopt, std::nullopt,
                          QStringLiteral("http://example.org/\r\n/home/a b.txt\r\n"),
                          QStringLiteral("Web サイト"), std::nullopt, QStringLiteral("-x 'y'")});

    const auto outcome = jet::convertJetCatalogue(source, path());

    ASSERT_TRUE(outcome.converted) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.counts.categories, 3);
    EXPECT_EQ(outcome.counts.titles, 2);
    EXPECT_EQ(outcome.counts.sameNames, 0);
    EXPECT_EQ(outcome.counts.driveLetterTitles, 1);
    EXPECT_EQ(outcome.keptAs, kept());
    EXPECT_EQ(fileBytes(kept()), jetBytes);
    EXPECT_EQ(folderEntries(), (QStringList{"QUILMO.mdb", "QUILMO.mdb.jet"}));

    const auto titles = storedTitles(path());
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], (QStringList{"議事録　第１回", "一行目\r\n二行目\r\n", " ",
                                      "C:\\文書\\議事録.doc\r\n", "文書", " ", " "}));
    EXPECT_EQ(titles[1], (QStringList{"ホーム", "", "", "http://example.org/\r\n/home/a b.txt\r\n",
                                      "Web サイト", "", "-x 'y'"}));
    // An absent value is stored as empty text, never as NULL.
    EXPECT_EQ(nullCount(path()), 0);
    EXPECT_EQ(storedColumn(path(), "SELECT カテゴリ名 FROM カテゴリ ORDER BY rowid"),
              (QStringList{"文書", "Web サイト", ""}));
    EXPECT_EQ(storedColumn(path(), "SELECT Option_Name || '=' || Option_Value FROM オプション"),
              QStringList{"Memory=1"});
    // The program opens it as its own catalogue.
    EXPECT_NO_THROW(CatalogueDb db(path()));
}

TEST_F(JetConversionTest, NamesTheRuleCountsTheSameAreAllKeptAndCounted)
{
    auto source = fakeJetCatalogue();
    source.tables["カテゴリ"].rows = {{QStringLiteral("Docs")}, {QStringLiteral("Ｄｏｃｓ")}};
    for (const char* name : {"カナ", "ｶﾅ", "かな", "ABC", "ＡＢＣ", "other"})
        addFakeTitle(source, {QString::fromUtf8(name), QStringLiteral(" ")});

    const auto outcome = jet::convertJetCatalogue(source, path());

    ASSERT_TRUE(outcome.converted) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.counts.titles, 6);
    EXPECT_EQ(outcome.counts.categories, 2);
    // ｶﾅ and かな after カナ, ＡＢＣ after ABC, Ｄｏｃｓ after Docs.
    EXPECT_EQ(outcome.counts.sameNames, 4);
    EXPECT_EQ(storedColumn(path(), "SELECT タイトル名 FROM タイトル ORDER BY rowid"),
              (QStringList{"カナ", "ｶﾅ", "かな", "ABC", "ＡＢＣ", "other"}));
}

TEST_F(JetConversionTest, OptionRowsComeAlongAndAMissingMemoryRowGetsItsDefault)
{
    auto source = fakeJetCatalogue();
    source.tables["オプション"].rows = {{QStringLiteral("Memory"), QStringLiteral("0")},
                                        {QStringLiteral("Other"), std::nullopt}};
    ASSERT_TRUE(jet::convertJetCatalogue(source, path()).converted);
    EXPECT_EQ(storedColumn(path(), "SELECT Option_Name || '=' || Option_Value FROM オプション "
                                   "ORDER BY rowid"),
              (QStringList{"Memory=0", "Other="}));

    QTemporaryDir second;
    ASSERT_TRUE(QFile::copy(path() + ".jet", catalogueFilePath(second.path())));
    auto withoutRow = fakeJetCatalogue();
    withoutRow.tables["オプション"].rows = {{QStringLiteral("Other"), QStringLiteral("x")}};
    ASSERT_TRUE(jet::convertJetCatalogue(withoutRow, catalogueFilePath(second.path())).converted);
    EXPECT_EQ(
        storedColumn(catalogueFilePath(second.path()),
                     "SELECT Option_Name || '=' || Option_Value FROM オプション ORDER BY rowid"),
        (QStringList{"Other=x", "Memory=1"}));
}

TEST_F(JetConversionTest, FortyThousandTitles)
{
    auto source = fakeJetCatalogue();
    source.tables["カテゴリ"].rows = {{QStringLiteral("大量")}};
    for (int i = 0; i < 40000; ++i)
        addFakeTitle(source,
                     {QStringLiteral("タイトル%1").arg(i), QStringLiteral("説明\r\n%1").arg(i),
                      QStringLiteral("D:\\画像\\%1.jpg").arg(i), QStringLiteral("x\r\n"),
                      QStringLiteral("大量"), QStringLiteral(" "), QStringLiteral(" ")});
    const auto outcome = jet::convertJetCatalogue(source, path());
    ASSERT_TRUE(outcome.converted) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.counts.titles, 40000);
    EXPECT_EQ(outcome.counts.driveLetterTitles, 40000);
    const auto titles = storedTitles(path());
    ASSERT_EQ(titles.size(), 40000u);
    EXPECT_EQ(titles.back()[0], "タイトル39999");
    EXPECT_EQ(titles.back()[1], "説明\r\n39999");
}

TEST_F(JetConversionTest, FailuresLeaveTheJetFileAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(FakeJetDatabase&)> spoil;
        const char* reasonHas;
    };
    const std::vector<Case> cases{
        {"missing table", [](FakeJetDatabase& db) { db.tables.erase("オプション"); }, "オプション"},
        {"missing column",
         [](FakeJetDatabase& db) {
             auto& titles = db.tables["タイトル"];
             titles.columns[6] = "作業ﾌｫﾙﾀﾞ";
         },
         "作業フォルダ"},
        {"read failure in the middle",
         [](FakeJetDatabase& db) { db.tables["タイトル"].failAt = 150; }, "タイトル"},
        {"names the key cannot hold twice",
         [](FakeJetDatabase& db) { addFakeTitle(db, {QStringLiteral("title 7")}); }, "title 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto source = fakeJetCatalogue();
        for (int i = 0; i < 300; ++i)
            addFakeTitle(source, {QStringLiteral("Title %1").arg(i)});
        c.spoil(source);
        const auto outcome = jet::convertJetCatalogue(source, path());
        EXPECT_FALSE(outcome.converted);
        EXPECT_TRUE(outcome.reason.contains(QString::fromUtf8(c.reasonHas)))
            << outcome.reason.toStdString();
        EXPECT_EQ(outcome.counts.titles, 0);
        expectUntouched();
    }
}

TEST_F(JetConversionTest, AFullDiskFailsCleanly)
{
    auto source = fakeJetCatalogue();
    for (int i = 0; i < 5000; ++i)
        addFakeTitle(source, {QStringLiteral("Title %1").arg(i), QString(200, u'説')});
    // The file size limit makes every write past 256 KiB fail as a full disk
    // would; set in a child so the test program keeps its own limits.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto outcome = jet::convertJetCatalogue(source, path());
        ::_exit(!outcome.converted && outcome.reason.contains(QStringLiteral("書き込めません"))
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the conversion did not fail with the writing reason";
    expectUntouched();
}

TEST_F(JetConversionTest, TakenKeptNamesAreNeverReplaced)
{
    QFile other(kept());
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("someone else's");
    other.close();
    auto source = fakeJetCatalogue();
    const auto outcome = jet::convertJetCatalogue(source, path());
    ASSERT_TRUE(outcome.converted);
    EXPECT_EQ(outcome.keptAs, kept() + ".1");
    EXPECT_EQ(fileBytes(kept()), "someone else's");
    EXPECT_EQ(fileBytes(kept() + ".1"), jetBytes);
}

TEST_F(JetConversionTest, ASecondNameLeftByAnInterruptedRunIsUsedAgain)
{
    // Stopped after the Jet file got its second name, before the new file
    // took its place: the next conversion makes no QUILMO.mdb.jet.1.
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(kept()).constData()),
              0);
    auto source = fakeJetCatalogue();
    const auto outcome = jet::convertJetCatalogue(source, path());
    ASSERT_TRUE(outcome.converted);
    EXPECT_EQ(outcome.keptAs, kept());
    EXPECT_EQ(folderEntries(), (QStringList{"QUILMO.mdb", "QUILMO.mdb.jet"}));
    EXPECT_EQ(fileBytes(kept()), jetBytes);
}

TEST_F(JetConversionTest, AKillDuringTheConversionLeavesTheJetFileAndTheNextStartCleansUp)
{
    for (int killAt : {0, 5000, 19999}) {
        SCOPED_TRACE(killAt);
        auto source = fakeJetCatalogue();
        for (int i = 0; i < 20000; ++i)
            addFakeTitle(source, {QStringLiteral("Title %1").arg(i), QStringLiteral("text\r\n")});
        source.tables["タイトル"].beforeRow = [killAt](int n) {
            if (n == killAt)
                ::raise(SIGKILL);
        };
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            jet::convertJetCatalogue(source, path());
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGKILL);

        EXPECT_EQ(fileBytes(path()), jetBytes);
        const QStringList left = folderEntries();
        EXPECT_GT(left.size(), 1) << "the killed run left its temporary file";
        for (const QString& name : left)
            EXPECT_TRUE(name == "QUILMO.mdb" || name.startsWith(jet::stagingPrefix()))
                << name.toStdString();

        // The next start removes the leftovers and asks again.
        FakeDialogs dialogs;
        dialogs.answer({false});
        EXPECT_TRUE(jet::offerJetConversion(
            dialogs, dir.path(),
            [](const QString&, const JetReadOptions&) -> std::unique_ptr<JetDatabase> {
                ADD_FAILURE() << "opened after No";
                return nullptr;
            }));
        expectUntouched();
    }
}

TEST_F(JetConversionTest, TheRealReaderOnAFileWithoutTheCatalogueTablesFailsWithAReason)
{
    auto source = openJetDatabase(path());
    const auto outcome = jet::convertJetCatalogue(*source, path());
    EXPECT_FALSE(outcome.converted);
    EXPECT_EQ(outcome.reason, QStringLiteral("古いカタログに表「カテゴリ」がありません。"));
    expectUntouched();
}
