#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "fakes/fake_services.h"
#include "jet/jet_offer.h"
#include "jetread/frame_writer.h"
#include "platform/jet_reader.h"
#include "store/catalogue_db.h"

// The conversion as the user starts it, with the Jet file read in the
// reading process: damaged files, a reading process killed, a cancel.

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class JetChildTest : public ::testing::Test
{
protected:
    void useJetFile(const QString& source)
    {
        QFile::remove(path());
        ASSERT_TRUE(QFile::copy(source, path()));
        jetBytes = fileBytes(path());
    }
    QString path() const { return catalogueFilePath(dir.path()); }
    // After a failure or a cancel: the Jet file where and as it was, and
    // nothing beside it.
    void expectUntouched()
    {
        EXPECT_EQ(fileBytes(path()), jetBytes);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  QStringList{"QUILMO.mdb"});
    }
    // A reading process that sends what a sound file's would up to the
    // 100th title, then runs the shell command tail.
    jet::JetOpener scripted(const QString& tail)
    {
        const QString frames = dir.filePath("frames");
        std::FILE* out = std::fopen(QFile::encodeName(frames).constData(), "wb");
        FrameWriter writer(out);
        writer.names({"カテゴリ", "タイトル", "オプション"});
        writer.columns({"カテゴリ名"});
        writer.row({"文書"});
        writer.end(1);
        writer.columns({"タイトル名", "説明", "サムネイルパス", "ファイルパス", "カテゴリ名",
                        "作業フォルダ", "起動オプション"});
        for (int i = 0; i < 100; ++i)
            writer.row({"タイトル" + std::to_string(i), std::nullopt, std::nullopt, std::nullopt,
                        "文書", std::nullopt, std::nullopt});
        writer.flush();
        std::fclose(out);
        framesDir.reset(new QTemporaryDir);
        const QString kept = framesDir->filePath("frames");
        QFile::rename(frames, kept);
        return [kept, tail](const QString& file, const JetReadOptions& given) {
            JetReadOptions options = given;
            options.program = QStringLiteral("/bin/sh");
            options.arguments = {"-c", "cat \"$0\"; " + tail, kept};
            return openJetDatabase(file, options);
        };
    }

    QTemporaryDir dir;
    std::unique_ptr<QTemporaryDir> framesDir;
    QByteArray jetBytes;
    FakeDialogs dialogs;
};

} // namespace

TEST_F(JetChildTest, DamagedFilesEndInTheFailureBoxWithTheirCause)
{
    struct Case {
        const char* file;
        const char* cause;
    };
    // The first file crashes the library only in a table the catalogue does
    // not have (see the reader's tests); the other two grow until the memory
    // limit stops them.
    const char* const outOfMemory =
        "古いカタログを開けませんでした（読み取りのプロセスが、メモリの上限（1024 MiB）に"
        "達したか壊れた箇所で中断しました（シグナル 6））。";
    const Case cases[] = {
        {"data-page-map-segv.mdb", "古いカタログに表「カテゴリ」がありません。"},
        {"row-crack-huge-alloc.mdb", outOfMemory},
        {"jet3-catalog-loop.mdb", outOfMemory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        useJetFile(QStringLiteral(QUILMO_FIXTURES_DIR "/jet-hostile/") + QLatin1String(c.file));
        dialogs = FakeDialogs();
        dialogs.answer({true});
        EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path()));
        ASSERT_EQ(dialogs.shown.size(), 2u);
        const QString box = dialogs.shown[1].text;
        EXPECT_TRUE(box.startsWith(QStringLiteral("カタログを変換できませんでした。\n")))
            << box.toStdString();
        EXPECT_EQ(box.section(u'\n', 1, 1), QString::fromUtf8(c.cause)) << box.toStdString();
        expectUntouched();
    }
}

TEST_F(JetChildTest, AReadingProcessKilledMidwayEndsInTheFailureBox)
{
    useJetFile(QStringLiteral(QUILMO_FIXTURES_DIR "/jet/jet4-sample.mdb"));
    dialogs.answer({true});
    EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path(), scripted("kill -KILL $$")));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text.section(u'\n', 1, 1),
              "古いカタログの表「タイトル」を読めませんでした（読み取りのプロセスが外から強制終了"
              "されました（シグナル 9））。");
    expectUntouched();
}

TEST_F(JetChildTest, CancelLeavesEverythingAsItWas)
{
    useJetFile(QStringLiteral(QUILMO_FIXTURES_DIR "/jet/jet4-sample.mdb"));
    dialogs.answer({true});
    // The user presses キャンセル once the progress window is up.
    bool seen = false;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(widget);
            if (progress && progress->isVisible()) {
                seen = true;
                progress->cancel();
            }
        }
    });
    press.start(50);
    // Without the cancel, the time limit would end it in the failure box.
    EXPECT_TRUE(jet::offerJetConversion(dialogs, dir.path(), scripted("exec sleep 600")));
    EXPECT_TRUE(seen);
    // The question only: a cancel is no failure to report.
    EXPECT_EQ(dialogs.shown.size(), 1u);
    expectUntouched();
}
