#include "jet/jet_offer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>

#include "jet/jet_conversion.h"
#include "platform/dialogs.h"
#include "platform/jet_reader.h"
#include "store/catalogue_db.h"
#include "ui/messages.h"

namespace
{

QString questionText(const QString& cataloguePath, JetVersion version)
{
    return QStringLiteral(
               "カタログ・ファイル %1 は、Windows 版の古い形式（Jet %2）のデータベースです。\n"
               "\n"
               "新しい形式のカタログに変換しますか？\n"
               "カテゴリ、タイトル、オプションをすべて新しいファイルに移し、"
               "元のファイルは QUILMO.mdb.jet という名前で、手を加えずに残します。\n"
               "\n"
               "「いいえ」のときは何も変えません。このファイルのままでは、"
               "カタログの操作はできません。")
        .arg(QDir::toNativeSeparators(cataloguePath),
             version == JetVersion::Jet3 ? QStringLiteral("3") : QStringLiteral("4"));
}

QString convertedText(const jet::ConversionOutcome& outcome)
{
    const jet::ConversionCounts& counts = outcome.counts;
    QString text = QStringLiteral("カタログを新しい形式に変換しました。\n"
                                  "カテゴリ：%1 件\n"
                                  "タイトル：%2 件\n"
                                  "元のファイルは %3 として残してあります。")
                       .arg(counts.categories)
                       .arg(counts.titles)
                       .arg(QDir::toNativeSeparators(outcome.keptAs));
    if (counts.sameNames > 0)
        text += QStringLiteral("\n\n全角と半角、ひらがなとカタカナの違いだけで、ほかの名前と同じと"
                               "みなされる名前が %1 件あります。どれもそのまま残してあります。"
                               "同じとみなされる名前は、これからは新しく登録できません。")
                    .arg(counts.sameNames);
    if (counts.driveLetterTitles > 0)
        text += QStringLiteral(
                    "\n\nドライブ名（「C:」など）で始まるパスを持つタイトルが %1 件あります。"
                    "環境設定の「コンバージョン機能」で、このコンピュータのフォルダに"
                    "変換してください。")
                    .arg(counts.driveLetterTitles);
    return text;
}

QString failedText(const QString& cataloguePath, const QString& reason)
{
    return QStringLiteral("カタログを変換できませんでした。\n"
                          "%1\n"
                          "\n"
                          "元のファイル %2 は変更していません。")
        .arg(reason, QDir::toNativeSeparators(cataloguePath));
}

// The window shown while the file is read in the reading process: the rows
// read so far and キャンセル. Shown only when the reading takes a while.
class ConversionProgress
{
public:
    ConversionProgress()
        : m_dialog(QStringLiteral("古いカタログを変換しています…"), QStringLiteral("キャンセル"), 0,
                   0)
    {
        m_dialog.setWindowTitle(QStringLiteral("変換中"));
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_dialog.setValue(0);
        m_started.start();
    }

    JetReadOptions options()
    {
        JetReadOptions options;
        options.progress = [this](qint64 rows) {
            m_dialog.setLabelText(
                QStringLiteral("古いカタログを変換しています…\n%1 行を読みました。").arg(rows));
            // Shown once its time has come; the button is answered by the
            // events handled here and while the reading waits.
            if (!m_dialog.isVisible() && m_started.hasExpired(m_dialog.minimumDuration()))
                m_dialog.show();
            QCoreApplication::processEvents();
        };
        options.cancelled = [this] { return m_dialog.wasCanceled(); };
        return options;
    }

    bool cancelled() const { return m_dialog.wasCanceled(); }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_started;
};

} // namespace

namespace jet
{

bool offerJetConversion(Dialogs& dialogs, const QString& dataFolder, const JetOpener& open)
{
    jet::removeStaleConversionFiles(dataFolder);
    const QString path = catalogueFilePath(dataFolder);
    const JetVersion version = detectJetVersion(path);
    if (version == JetVersion::NotJet)
        return false;
    if (!dialogs.askYesNo(nullptr, questionText(path, version), kConfirmCaption))
        return true;

    jet::ConversionOutcome outcome;
    bool cancelled = false;
    {
        ConversionProgress progress;
        try {
            const std::unique_ptr<JetDatabase> source = open(path, progress.options());
            outcome = jet::convertJetCatalogue(*source, path);
        } catch (const JetError& error) {
            outcome.reason = QStringLiteral("古いカタログを開けませんでした（%1）。")
                                 .arg(QString::fromStdString(error.what()));
        }
        cancelled = !outcome.converted && progress.cancelled();
    }
    if (cancelled)
        return true;
    if (!outcome.converted) {
        dialogs.inform(nullptr, failedText(path, outcome.reason));
        return true;
    }
    dialogs.inform(nullptr, convertedText(outcome));
    return false;
}

bool offerJetConversion(Dialogs& dialogs, const QString& dataFolder)
{
    return offerJetConversion(dialogs, dataFolder,
                              [](const QString& path, const JetReadOptions& options) {
                                  return openJetDatabase(path, options);
                              });
}

} // namespace jet
