#include "jet/jet_conversion.h"

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>

#include "platform/folder_sync.h"
#include "platform/jet_reader.h"
#include "store/catalogue_db.h"
#include "store/schema.h"
#include "store/sqlite_database.h"
#include "store/text_fold.h"

namespace jet
{

namespace
{

using namespace store::schema;
namespace fs = std::filesystem;

// A failure whose text is already the sentence the user reads.
class ConversionFailure : public std::runtime_error
{
public:
    explicit ConversionFailure(const QString& reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason)
    {
    }
    QString reason() const { return m_reason; }

private:
    QString m_reason;
};

fs::path toPath(const QString& path)
{
    return fs::path(path.toStdU16String());
}

// One Jet table read by column names: the positions of the wanted columns
// are found once, and each row hands out their texts.
class SourceTable
{
public:
    SourceTable(JetDatabase& source, const QString& table, const QStringList& columns)
        : m_name(table)
    {
        try {
            m_table = source.openTable(table);
        } catch (const JetError&) {
            throw ConversionFailure(
                QStringLiteral("古いカタログに表「%1」がありません。").arg(table));
        }
        const QStringList present = m_table->columnNames();
        for (const QString& column : columns) {
            int found = -1;
            for (int i = 0; i < present.size(); ++i) {
                if (present[i].compare(column, Qt::CaseInsensitive) == 0) {
                    found = i;
                    break;
                }
            }
            if (found < 0)
                throw ConversionFailure(
                    QStringLiteral("古いカタログの表「%1」に列「%2」がありません。")
                        .arg(table, column));
            m_positions.push_back(std::size_t(found));
        }
    }

    bool next()
    {
        try {
            return m_table->nextRow(m_row);
        } catch (const JetError& error) {
            throw ConversionFailure(
                QStringLiteral("古いカタログの表「%1」を読めませんでした（%2）。")
                    .arg(m_name, QString::fromStdString(error.what())));
        }
    }

    // The i-th wanted column of the current row; an absent value is empty.
    QString text(std::size_t i) const
    {
        const std::size_t at = m_positions[i];
        if (at >= m_row.size() || !m_row[at])
            return {};
        return *m_row[at];
    }

private:
    QString m_name;
    std::unique_ptr<JetTable> m_table;
    std::vector<std::size_t> m_positions;
    JetRow m_row;
};

// The form the key columns compare in (COLLATE NOCASE: ASCII letters only).
// Two names equal in it cannot both be stored, so the conversion stops and
// names them rather than dropping one.
QString nocaseKey(const QString& name)
{
    QString key = name;
    for (QChar& c : key) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return key;
}

class NameCheck
{
public:
    explicit NameCheck(QString what) : m_what(std::move(what)) {}

    // Counts name when the comparison rule finds it the same as one before.
    void add(const QString& name, int& sameNames)
    {
        if (m_exact.contains(nocaseKey(name)))
            throw ConversionFailure(
                QStringLiteral("%1「%2」が二つあります（英字の大文字と小文字の違いだけの名前を"
                               "含みます）。新しいカタログには一つしか入れられません。")
                    .arg(m_what, name));
        m_exact.insert(nocaseKey(name));
        const QString folded = foldForComparison(name);
        if (m_folded.contains(folded))
            ++sameNames;
        else
            m_folded.insert(folded);
    }

private:
    QString m_what;
    QSet<QString> m_exact;
    QSet<QString> m_folded;
};

bool beginsWithDriveLetter(const QString& value)
{
    return value.size() >= 2 && value[1] == u':' && value[0].unicode() < 0x80 &&
           value[0].isLetter();
}

bool linkTargetsNameDrive(const QString& value)
{
    const auto lines = QStringView(value).split(u'\n');
    for (QStringView line : lines) {
        if (beginsWithDriveLetter(line.trimmed().toString()))
            return true;
    }
    return false;
}

void copyCategories(JetDatabase& source, SqliteDatabase& db, ConversionCounts& counts)
{
    SourceTable table(source, kCategoryTable, {kCategoryName});
    auto insert = db.prepare(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(kCategoryTable, kCategoryName));
    NameCheck names(QStringLiteral("カテゴリ名"));
    while (table.next()) {
        const QString name = table.text(0);
        names.add(name, counts.sameNames);
        insert.bind(1, name).step();
        insert.reset();
        ++counts.categories;
    }
}

void copyTitles(JetDatabase& source, SqliteDatabase& db, ConversionCounts& counts)
{
    const QStringList columns{kTitleName,    kDescription,   kThumbnailPath, kLinkTargets,
                              kCategoryName, kWorkingFolder, kLaunchOptions};
    SourceTable table(source, kTitleTable, columns);
    auto insert = db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                 .arg(kTitleTable, columns.join(u", ")));
    NameCheck names(QStringLiteral("タイトル名"));
    while (table.next()) {
        names.add(table.text(0), counts.sameNames);
        for (int i = 0; i < columns.size(); ++i)
            insert.bind(i + 1, table.text(std::size_t(i)));
        insert.step();
        insert.reset();
        ++counts.titles;
        if (beginsWithDriveLetter(table.text(2)) || linkTargetsNameDrive(table.text(3)) ||
            beginsWithDriveLetter(table.text(5)) || beginsWithDriveLetter(table.text(6)))
            ++counts.driveLetterTitles;
    }
}

void copyOptions(JetDatabase& source, SqliteDatabase& db)
{
    SourceTable table(source, kOptionTable, {kOptionName, kOptionValue});
    // The new file starts with the default row; the old file's rows replace it.
    db.exec(QStringLiteral("DELETE FROM %1").arg(kOptionTable));
    auto insert = db.prepare(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                                 .arg(kOptionTable, kOptionName, kOptionValue));
    NameCheck names(QStringLiteral("オプション名"));
    int unused = 0;
    bool memory = false;
    while (table.next()) {
        const QString name = table.text(0);
        names.add(name, unused);
        memory = memory || name.compare(kMemoryOption, Qt::CaseInsensitive) == 0;
        insert.bind(1, name).bind(2, table.text(1)).step();
        insert.reset();
    }
    if (!memory)
        insert.bind(1, kMemoryOption).bind(2, QStringLiteral("1")).step();
}

// A name for the Jet file beside the new catalogue: QUILMO.mdb.jet, else the
// first free of QUILMO.mdb.jet.1, .2, ... A name that is already the Jet
// file itself (an earlier conversion stopped right after giving it) is used
// again. Never an existing file of another content.
QString keptName(const QString& cataloguePath)
{
    for (int i = 0; i < 1000; ++i) {
        const QString candidate =
            cataloguePath + QStringLiteral(".jet") + (i ? QStringLiteral(".%1").arg(i) : QString());
        std::error_code error;
        const auto status = fs::symlink_status(toPath(candidate), error);
        if (!fs::exists(status))
            return candidate;
        if (fs::is_regular_file(status) &&
            fs::equivalent(toPath(cataloguePath), toPath(candidate), error))
            return candidate;
    }
    throw ConversionFailure(QStringLiteral("古いカタログを残す名前（QUILMO.mdb.jet など）が"
                                           "すべて使われています。"));
}

// Gives the Jet file its kept name and puts the new catalogue in its place.
// With a second name (a hard link) made first, QUILMO.mdb names one whole
// catalogue at every moment, whenever the program stops. Where the file
// system has no hard links the file is renamed, and renamed back if the new
// one cannot follow.
QString swapIn(const QString& staging, const QString& cataloguePath)
{
    const QString kept = keptName(cataloguePath);
    std::error_code error;
    bool linked = fs::equivalent(toPath(cataloguePath), toPath(kept), error);
    if (!linked) {
        error.clear();
        fs::create_hard_link(toPath(cataloguePath), toPath(kept), error);
        linked = !error;
        if (error == std::errc::file_exists)
            throw ConversionFailure(
                QStringLiteral("「%1」が変換中に作られました。").arg(QFileInfo(kept).fileName()));
    }
    if (linked) {
        fs::rename(toPath(staging), toPath(cataloguePath), error);
        if (error) {
            QFile::remove(kept);
            throw ConversionFailure(QStringLiteral("新しいカタログを置けませんでした（%1）。")
                                        .arg(QString::fromStdString(error.message())));
        }
        return kept;
    }
    if (!QFile::rename(cataloguePath, kept))
        throw ConversionFailure(QStringLiteral("古いカタログの名前を %1 に変えられませんでした。")
                                    .arg(QFileInfo(kept).fileName()));
    if (!QFile::rename(staging, cataloguePath)) {
        QFile::rename(kept, cataloguePath);
        throw ConversionFailure(QStringLiteral("新しいカタログを置けませんでした。"));
    }
    return kept;
}

} // namespace

QString stagingPrefix()
{
    return QStringLiteral("QUILMO.mdb.new-jet-");
}

ConversionOutcome convertJetCatalogue(JetDatabase& source, const QString& cataloguePath)
{
    ConversionOutcome outcome;
    const QString folder = QFileInfo(cataloguePath).absolutePath();
    const QString staging =
        QDir(folder).filePath(stagingPrefix() + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const auto removeStaging = [&] {
        QFile::remove(staging);
        QFile::remove(staging + QStringLiteral("-journal"));
    };
    try {
        if (!createCatalogueIfMissing(staging))
            throw ConversionFailure(
                QStringLiteral("新しいカタログを作れませんでした。フォルダに"
                               "書き込めるか、ディスクに空きがあるかを確かめてください。"));
        {
            SqliteDatabase db(staging);
            // Written once and synced at the commit; the file is not the
            // catalogue until it is renamed, so nobody else reads it meanwhile.
            db.exec(QStringLiteral("PRAGMA synchronous = FULL"));
            db.transaction([&] {
                copyCategories(source, db, outcome.counts);
                copyTitles(source, db, outcome.counts);
                copyOptions(source, db);
            });
        }
        outcome.keptAs = swapIn(staging, cataloguePath);
        syncFolder(folder);
        outcome.converted = true;
    } catch (const ConversionFailure& failure) {
        removeStaging();
        outcome.reason = failure.reason();
        outcome.counts = {};
    } catch (const DbError& error) {
        removeStaging();
        outcome.reason =
            QStringLiteral("新しいカタログに書き込めませんでした（%1）。ディスクに空きが"
                           "あるかを確かめてください。")
                .arg(QString::fromStdString(error.what()));
        outcome.counts = {};
    }
    return outcome;
}

void removeStaleConversionFiles(const QString& folder)
{
    QDir dir(folder);
    const QStringList stale = dir.entryList({stagingPrefix() + QStringLiteral("*")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : stale)
        QFile::remove(dir.filePath(name));
}

} // namespace jet
