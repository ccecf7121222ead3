#include "app/start.h"

#include <QDateTime>
#include <QDir>
#include <QObject>

#include "app/catalogue_choice.h"
#include "app/data_folder.h"
#include "app/wiring.h"
#include "jet/jet_offer.h"
#include "memo/memo_files.h"
#include "platform/dialogs.h"
#include "platform/jet_reader.h"
#include "store/catalogue_db.h"
#include "store/pg_catalogue.h"
#include "ui/main/form1.h"

namespace
{

// Held, exclusively, by one start at a time while it converts, creates and
// cleans up; it says what its holder does.
const QString kStartLock = QStringLiteral(".quilmo-start.lock");
// Held, shared, by every running program; whoever can take it exclusively
// knows no other program runs over the folder.
const QString kRunningLock = QStringLiteral(".quilmo-running.lock");
const QByteArray kConvertingNote = QByteArrayLiteral("converting");

// The dialogs of the start, noting in the start lock once the user has
// agreed to a conversion, so a second start can say what it waits for.
class NotingDialogs final : public Dialogs
{
public:
    NotingDialogs(Dialogs& dialogs, std::optional<FolderLock>& lock)
        : m_dialogs(dialogs), m_lock(lock)
    {
    }
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override
    {
        const bool yes = m_dialogs.askYesNo(parent, text, title);
        if (yes && m_lock)
            m_lock->setNote(kConvertingNote);
        return yes;
    }
    void inform(QWidget* parent, const QString& text) override { m_dialogs.inform(parent, text); }
    std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) override
    {
        return m_dialogs.openFile(parent, request);
    }
    std::optional<QString> saveFile(QWidget* parent, const OpenFileRequest& request) override
    {
        return m_dialogs.saveFile(parent, request);
    }
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& folder) override
    {
        return m_dialogs.chooseFolder(parent, title, folder);
    }

private:
    Dialogs& m_dialogs;
    std::optional<FolderLock>& m_lock;
};

// Keeps the running program's share of the folder for the window's life.
class RunningMark final : public QObject
{
public:
    RunningMark(QObject* owner, FolderLock lock) : QObject(owner), m_lock(std::move(lock)) {}

private:
    FolderLock m_lock;
};

} // namespace

PreparedStart prepareStart(Dialogs& dialogs, const QString& dataFolder)
{
    const QString catalogue = catalogueFilePath(dataFolder);
    PreparedStart start;
    // A pipe or a device in the catalogue's place is never opened: reading
    // it could wait for ever. It is named once, as a file that is no catalogue.
    if (isSpecialFile(catalogue)) {
        start.prepared = true;
        start.readable = false;
        return start;
    }

    // The lock file needs the folder; a folder that cannot be made is told
    // by prepareDataFolder below.
    QDir().mkpath(dataFolder);
    const QString startLockPath = QDir(dataFolder).filePath(kStartLock);
    std::optional<FolderLock> startLock =
        FolderLock::take(startLockPath, FolderLock::Kind::Exclusive, FolderLock::Wait::No);
    bool convertedElsewhere = false;
    if (!startLock) {
        if (FolderLock::noteOf(startLockPath) == kConvertingNote) {
            dialogs.inform(nullptr, convertingElsewhereText(catalogue));
            convertedElsewhere = true;
        }
        startLock =
            FolderLock::take(startLockPath, FolderLock::Kind::Exclusive, FolderLock::Wait::Yes);
    }
    const QDateTime startedAt = QDateTime::currentDateTimeUtc();
    const QString runningLockPath = QDir(dataFolder).filePath(kRunningLock);
    std::optional<FolderLock> running =
        FolderLock::take(runningLockPath, FolderLock::Kind::Exclusive, FolderLock::Wait::No);
    const bool alone = running.has_value();

    // An old catalogue the user kept (No, or a failed conversion) has been
    // named in a box already; the notice about a foreign file must not repeat
    // it. The conversion another start just ran is not run again here,
    // whatever its outcome, which that start has told.
    bool jetCatalogueKept = false;
    if (convertedElsewhere) {
        jetCatalogueKept = detectJetVersion(catalogue) != JetVersion::NotJet;
    } else {
        NotingDialogs noting(dialogs, startLock);
        jetCatalogueKept = jet::offerJetConversion(noting, dataFolder);
    }
    start.prepared = prepareDataFolder(dataFolder);
    // Under the start lock no other start builds a catalogue, so staging
    // files from before this start are leftovers; a memo save runs in a
    // program that is running, so its files are only leftovers when this
    // program is the only one.
    if (start.prepared)
        removeStaleStagingFiles(catalogue, startedAt);
    if (alone)
        memo::removeLeftoverSaveFiles(memo::memoFolder(dataFolder));
    start.readable = !start.prepared || jetCatalogueKept || isCatalogueFile(catalogue);

    running.reset();
    start.running =
        FolderLock::take(runningLockPath, FolderLock::Kind::Shared, FolderLock::Wait::Yes);
    if (startLock)
        startLock->setNote({});
    return start;
}

std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder)
{
    PreparedStart start = prepareStart(*services.dialogs, dataFolder);
    auto form = std::make_unique<Form1>(services, dataFolder, sharedFolder);
    connectHandlers(*form);
    if (start.running)
        new RunningMark(form.get(), std::move(*start.running));
    // A catalogue chosen elsewhere than the data folder: a server is asked
    // once whether it answers with a catalogue; another file is created on
    // first use as the data folder's own is.
    const QString location = catalogueLocation(dataFolder);
    const bool onServer = isServerCatalogue(location);
    QString serverError;
    if (onServer) {
        try {
            CatalogueDb probe(location);
        } catch (const ForeignDatabase&) {
            serverError = foreignDatabaseText();
        } catch (const DbError& error) {
            serverError = QString::fromUtf8(error.what()).simplified();
        }
    } else if (location != catalogueFilePath(dataFolder)) {
        start.readable = !isSpecialFile(location) && createCatalogueIfMissing(location) &&
                         isCatalogueFile(location);
    }
    form->Form_Load();
    form->show();
    // Told over the window, so the user sees what the message is about.
    if (!start.prepared)
        services.dialogs->inform(form.get(), dataFolderFailureText(dataFolder));
    else if (!serverError.isEmpty())
        services.dialogs->inform(form.get(), serverFailureText(location, serverError));
    else if (!onServer && !start.readable)
        services.dialogs->inform(form.get(), notACatalogueText(location));
    return form;
}

QString notACatalogueText(const QString& path)
{
    return QStringLiteral("ファイル %1 はカタログとして読めません。\n"
                          "壊れているか、別のプログラムのファイルです。\n"
                          "このファイルは変更せず、そのまま残します。\n"
                          "このままではカテゴリやタイトルの操作はすべてエラーになります。"
                          "ファイルを正しいカタログと置き換えるか、別の場所へ移してから"
                          "起動し直してください。")
        .arg(QDir::toNativeSeparators(path));
}

QString convertingElsewhereText(const QString& path)
{
    return QStringLiteral("別に起動した QUILMO が、カタログ・ファイル %1 を新しい形式に"
                          "変換しています。\n"
                          "変換が終わるまで待ってから開きます。変換はもう一度は行いません。")
        .arg(QDir::toNativeSeparators(path));
}
