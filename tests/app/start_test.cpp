#include <algorithm>
#include <cstring>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "platform/folder_lock.h"
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

namespace
{

// A pipe, a socket and a device in the catalogue's place are named once and
// never opened: opening or reading one would hold the start for ever.
TEST_F(StartTest, APipeSocketOrDeviceInTheCataloguesPlaceIsNamedOnceAndLeftAlone)
{
    const auto socketAt = [](const QString& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min(size_t(name.size()), sizeof address.sun_path - 1));
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    };
    const std::pair<const char*, std::function<bool(const QString&)>> cases[] = {
        {"fifo", [](const QString& path) { return ::mkfifo(QFile::encodeName(path), 0600) == 0; }},
        {"socket", socketAt},
        {"device", [](const QString& path) { return QFile::link("/dev/zero", path); }},
    };
    for (const auto& [label, make] : cases) {
        SCOPED_TRACE(label);
        // Short, so the socket's path fits its address.
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString file = catalogueFilePath(folder.path());
        ASSERT_TRUE(make(file));

        FakeServices local;
        const auto form = openMainWindow(local.services(), folder.path(), shared());
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(local.dialogs.shown.size(), 1u);
        EXPECT_EQ(local.dialogs.shown[0].text, notACatalogueText(file));

        form->Text8->clear();
        form->Combo2->setCurrentText("登録");
        form->Combo1->setEditText("本");
        local.dialogs.answers.push_back(true);
        form->Command1->click();
        EXPECT_EQ(form->Text8->text(),
                  QStringLiteral("「カテゴリ全検索」でエラーが発生しています。"));
        EXPECT_TRUE(isSpecialFile(file));
    }
}

// Starts in processes of their own, each with its own dialogs: the outcome
// is the exit status, 0 when the start found its catalogue without a box.
pid_t startElsewhere(const QString& folder, const std::function<void(Dialogs&)>& before = {})
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    FakeDialogs dialogs;
    if (before)
        before(dialogs);
    const PreparedStart start = prepareStart(dialogs, folder);
    _exit(start.prepared && start.readable && dialogs.shown.empty() ? 0 : 1);
}

int exitStatusOf(pid_t child)
{
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(StartTest, FirstStartsAtOnceAllFindTheirCatalogueAndLeaveNothingBehind)
{
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        const QString folder = root.filePath(QStringLiteral("at-once-%1").arg(round));
        pid_t starts[3];
        for (pid_t& start : starts)
            start = startElsewhere(folder);
        for (pid_t start : starts)
            EXPECT_EQ(exitStatusOf(start), 0);
        EXPECT_TRUE(isCatalogueFile(catalogueFilePath(folder)));
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  (QStringList{"QUILMO.mdb", "手書きメモ"}));
    }
}

// Another start holds the folder while it converts: this one says so, waits,
// and never asks about or runs the conversion itself, whatever came of it.
TEST_F(StartTest, AStartWhileAnotherConvertsSaysSoWaitsAndDoesNotConvertAgain)
{
    for (const bool converted : {true, false}) {
        SCOPED_TRACE(converted);
        const QString folder = root.filePath(converted ? "converted" : "kept");
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString file = catalogueFilePath(folder);
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILMO_FIXTURES_DIR "/jet/jet3-sample.mdb"), file));
        const QByteArray jet = fileBytes(file);

        int ready[2];
        int go[2];
        ASSERT_EQ(pipe(ready), 0);
        ASSERT_EQ(pipe(go), 0);
        const pid_t converter = fork();
        ASSERT_GE(converter, 0);
        if (converter == 0) {
            auto lock = FolderLock::take(folder + "/.quilmo-start.lock",
                                         FolderLock::Kind::Exclusive, FolderLock::Wait::Yes);
            lock->setNote("converting");
            char byte = 'r';
            bool ok = ::write(ready[1], &byte, 1) == 1 && ::read(go[0], &byte, 1) == 1;
            if (converted)
                ok = ok && QFile::remove(file) && createCatalogueIfMissing(file);
            _exit(ok ? 0 : 1);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);

        // The box is the moment the converter may finish.
        struct Releasing final : Dialogs {
            FakeDialogs recorded;
            int go = -1;
            bool askYesNo(QWidget* parent, const QString& text, const QString& title) override
            {
                return recorded.askYesNo(parent, text, title);
            }
            void inform(QWidget* parent, const QString& text) override
            {
                recorded.inform(parent, text);
                const char release = 'g';
                EXPECT_EQ(::write(go, &release, 1), 1);
            }
            std::optional<QString> openFile(QWidget*, const OpenFileRequest&) override
            {
                return std::nullopt;
            }
        } dialogs;
        dialogs.go = go[1];
        dialogs.recorded.answer({true});
        const PreparedStart start = prepareStart(dialogs, folder);
        EXPECT_EQ(exitStatusOf(converter), 0);
        for (int fd : {ready[0], ready[1], go[0], go[1]})
            ::close(fd);

        ASSERT_EQ(dialogs.recorded.shown.size(), 1u);
        EXPECT_FALSE(dialogs.recorded.shown[0].question);
        EXPECT_EQ(dialogs.recorded.shown[0].text, convertingElsewhereText(file));
        EXPECT_TRUE(start.prepared);
        EXPECT_TRUE(start.readable);
        EXPECT_EQ(isCatalogueFile(file), converted);
        if (!converted) {
            EXPECT_EQ(fileBytes(file), jet);
        }
        EXPECT_FALSE(QFileInfo::exists(file + ".jet"));
    }
}

// What a memo save killed midway left goes at the next start, but only when
// no other program runs over the folder: one that does may be saving a memo.
TEST_F(StartTest, MemoSaveLeftoversGoOnlyWhenNoOtherProgramRuns)
{
    for (const bool otherRunning : {true, false}) {
        SCOPED_TRACE(otherRunning);
        const QString folder = root.filePath(otherRunning ? "shared" : "alone");
        const QString memos = memo::memoFolder(folder);
        ASSERT_TRUE(QDir().mkpath(memos));
        ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(folder)));
        writeFile(memos + "/.quilmo-save-1f2e.tmp", "half a memo");
        writeFile(memos + "/題.ole", "a memo");
        writeFile(memos + "/.quilmo-save-1f2e.tmp.ole", "a memo of an odd title");
        const QString outside = root.filePath("outside.tmp");
        writeFile(outside, "keep");
        ASSERT_TRUE(QFile::link(outside, memos + "/.quilmo-save-link.tmp"));
        std::optional<FolderLock> other;
        if (otherRunning)
            other = FolderLock::take(folder + "/.quilmo-running.lock", FolderLock::Kind::Shared,
                                     FolderLock::Wait::No);

        FakeDialogs dialogs;
        const PreparedStart start = prepareStart(dialogs, folder);
        EXPECT_TRUE(dialogs.shown.empty());
        QStringList left = QDir(memos).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                 QDir::NoDotAndDotDot);
        left.sort();
        QStringList expected{".quilmo-save-1f2e.tmp.ole", ".quilmo-save-link.tmp", "題.ole"};
        if (otherRunning)
            expected.prepend(".quilmo-save-1f2e.tmp");
        EXPECT_EQ(left, expected) << left.join(' ').toStdString();
        EXPECT_EQ(fileBytes(outside), "keep");
    }
}

} // namespace
