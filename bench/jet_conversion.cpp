// Converting an old Jet catalogue of 40,000 titles: read in this process
// through a fake reader, and read through a reading process that sends the
// same rows in the frames the real one sends; against inserting the same
// rows into the same tables with the bare SQLite API in one transaction.
// The reading process is this program started again with --serve-fake: the
// cost of the process, the frames and the pipe is measured, not libmdb's.
#include <cstring>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "fakes/fake_jet.h"
#include "jet/jet_conversion.h"
#include "jetread/serve.h"
#include "platform/jet_reader.h"
#include "store/catalogue_db.h"

namespace
{

constexpr int kTitles = 40000;

const FakeJetDatabase& source()
{
    static const FakeJetDatabase db = [] {
        FakeJetDatabase made = fakeJetCatalogue();
        for (int i = 0; i < 40; ++i)
            made.tables["カテゴリ"].rows.push_back({QStringLiteral("カテゴリ%1").arg(i)});
        for (int i = 0; i < kTitles; ++i)
            addFakeTitle(made, {QStringLiteral("タイトル%1 第%2巻").arg(i).arg(i % 97),
                                QStringLiteral("説明の一行目\r\n二行目 %1\r\n").arg(i),
                                QStringLiteral("C:\\画像\\%1.jpg").arg(i),
                                QStringLiteral("C:\\文書\\%1.doc\r\n").arg(i),
                                QStringLiteral("カテゴリ%1").arg(i % 40), QStringLiteral(" "),
                                QStringLiteral(" ")});
        return made;
    }();
    return db;
}

void BM_ConvertJetCatalogue(benchmark::State& state)
{
    FakeJetDatabase db = source();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QString path = catalogueFilePath(folder.path());
        {
            QFile jet(path);
            jet.open(QIODevice::WriteOnly);
            jet.write("Jet file stand-in");
        }
        state.ResumeTiming();
        const auto outcome = jet::convertJetCatalogue(db, path);
        if (!outcome.converted || outcome.counts.titles != kTitles)
            state.SkipWithError("conversion failed");
        state.PauseTiming();
        folder.remove();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTitles);
}

// A stand-in whose first page says Jet 4, for the program's check.
void writeJetStandIn(const QString& path)
{
    QByteArray head(4096, '\0');
    head.replace(4, 15, "Standard Jet DB");
    head[0x14] = 1;
    QFile jet(path);
    jet.open(QIODevice::WriteOnly);
    jet.write(head);
}

void BM_ConvertThroughReadingProcess(benchmark::State& state)
{
    JetReadOptions options;
    options.program = QCoreApplication::applicationFilePath();
    options.arguments = {QStringLiteral("--serve-fake")};
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QString path = catalogueFilePath(folder.path());
        writeJetStandIn(path);
        state.ResumeTiming();
        const auto db = openJetDatabase(path, options);
        const auto outcome = jet::convertJetCatalogue(*db, path);
        if (!outcome.converted || outcome.counts.titles != kTitles)
            state.SkipWithError(qPrintable(outcome.reason));
        state.PauseTiming();
        folder.remove();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTitles);
}

// The fake catalogue served as the reading process serves a file.
class FakeSourceTable final : public SourceTable
{
public:
    explicit FakeSourceTable(const FakeJetTableData& data) : m_data(data) {}
    std::vector<std::string> columns() const override
    {
        std::vector<std::string> names;
        for (const QString& column : m_data.columns)
            names.push_back(column.toStdString());
        return names;
    }
    bool next(SourceRow& row) override
    {
        if (m_next >= m_data.rows.size())
            return false;
        row.clear();
        for (const auto& cell : m_data.rows[m_next])
            row.push_back(cell ? std::optional<std::string>(cell->toStdString()) : std::nullopt);
        ++m_next;
        return true;
    }

private:
    const FakeJetTableData& m_data;
    std::size_t m_next = 0;
};

class FakeSource final : public Source
{
public:
    std::vector<std::string> tableNames() const override
    {
        std::vector<std::string> names;
        for (const auto& [name, table] : source().tables)
            names.push_back(name.toStdString());
        return names;
    }
    std::unique_ptr<SourceTable> open(const std::string& name) override
    {
        for (const auto& [stored, table] : source().tables) {
            if (stored == QString::fromStdString(name))
                return std::make_unique<FakeSourceTable>(table);
        }
        return nullptr;
    }
};

void exec(sqlite3* db, const char* sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// The yardstick: the same file and tables, the same rows bound as UTF-8, one
// transaction, no reader and no checks.
void BM_BareSqliteInsert(benchmark::State& state)
{
    const FakeJetDatabase& db = source();
    const auto& categories = db.tables.at("カテゴリ").rows;
    const auto& titles = db.tables.at("タイトル").rows;
    // The fake's column order (see fakeJetCatalogue): name, description,
    // thumbnail, link targets, category, working folder, launch options.
    constexpr std::size_t kColumns[] = {1, 3, 5, 7, 0, 6, 4};
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(catalogueFilePath(folder.path()));
        state.ResumeTiming();
        sqlite3* handle = nullptr;
        sqlite3_open(path.constData(), &handle);
        exec(handle, "BEGIN");
        exec(handle, "CREATE TABLE カテゴリ (カテゴリ名 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY)");
        exec(handle,
             "CREATE TABLE タイトル (タイトル名 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY, "
             "説明 TEXT, サムネイルパス TEXT, ファイルパス TEXT, カテゴリ名 TEXT COLLATE NOCASE, "
             "作業フォルダ TEXT, 起動オプション TEXT)");
        exec(handle, "CREATE INDEX タイトル_カテゴリ名 ON タイトル (カテゴリ名, タイトル名)");
        exec(handle,
             "CREATE TABLE オプション (Option_Name TEXT COLLATE NOCASE NOT NULL PRIMARY KEY, "
             "Option_Value TEXT)");
        exec(handle, "INSERT INTO オプション VALUES ('Memory', '1')");
        sqlite3_stmt* category = nullptr;
        sqlite3_prepare_v2(handle, "INSERT INTO カテゴリ VALUES (?)", -1, &category, nullptr);
        for (const auto& row : categories) {
            const QByteArray name = row[0]->toUtf8();
            sqlite3_bind_text(category, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_step(category);
            sqlite3_reset(category);
        }
        sqlite3_finalize(category);
        sqlite3_stmt* title = nullptr;
        sqlite3_prepare_v2(handle, "INSERT INTO タイトル VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &title,
                           nullptr);
        for (const auto& row : titles) {
            for (int i = 0; i < 7; ++i) {
                const QByteArray value = row[kColumns[i]].value_or(QString()).toUtf8();
                sqlite3_bind_text(title, i + 1, value.constData(), int(value.size()),
                                  SQLITE_TRANSIENT);
            }
            sqlite3_step(title);
            sqlite3_reset(title);
        }
        sqlite3_finalize(title);
        exec(handle, "COMMIT");
        sqlite3_close(handle);
        state.PauseTiming();
        folder.remove();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTitles);
}

} // namespace

BENCHMARK(BM_ConvertJetCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertThroughReadingProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareSqliteInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--serve-fake") == 0) {
        static char buffer[1 << 20];
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
        FakeSource fake;
        return serve(fake, stdin, stdout);
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
