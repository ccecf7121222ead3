// A large category: LoadTitleList into List1 for 40,000 titles, SearchTitles
// over them and LoadTitleRecord of one title, each against the bare SQLite
// query of the same rows in the same run. The list figures include laying out
// the view, which a shown list does before it paints. With QUILMO_BENCH_PG
// set to a server's connection string, the same three run once more on a
// copy of the catalogue in a schema of their own on that server.
#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUuid>

#include <benchmark/benchmark.h>

#include "app/wiring.h"
#include "bench_support.h"
#include "catalogue/title_ops.h"
#include "store/catalogue_copy.h"
#include "store/catalogue_db.h"
#include "store/name_order.h"
#include "store/pg_database.h"
#include "store/sql_functions.h"
#include "store/sqlite_database.h"
#include "store/title_queries.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"

namespace
{

constexpr int kTitles = 40000;

struct Catalogue {
    QTemporaryDir folder;
    BenchServices services;
    std::unique_ptr<Form1> form;

    Catalogue()
    {
        const QString path = catalogueFilePath(folder.path());
        createCatalogueIfMissing(path);
        SqliteDatabase db(path);
        db.transaction([&] {
            auto insert = db.prepare(QStringLiteral(
                "INSERT INTO タイトル VALUES (?, '説明文', '/pics/a.jpg', ?, '大量', ' ', ' ')"));
            for (int i = 0; i < kTitles; ++i) {
                const QString name =
                    QStringLiteral("タイトル%1 第%2巻").arg(i, 5, 10, QLatin1Char('0')).arg(i % 97);
                insert.bind(1, name);
                insert.bind(2, QStringLiteral("/docs/%1.pdf\r\n").arg(i));
                insert.step();
                insert.reset();
            }
        });
        form = std::make_unique<Form1>(services.services(), folder.path());
        connectHandlers(*form);
        form->Combo1->setEditText(QStringLiteral("大量"));

        server = qEnvironmentVariable("QUILMO_BENCH_PG");
        if (server.isEmpty())
            return;
        schema = QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128);
        PgConnection(server).exec(QStringLiteral("CREATE SCHEMA ") + schema);
        onServer = server + QStringLiteral(" options='-c search_path=%1'").arg(schema);
        store::copyCatalogue(path, onServer);
        serverForm = std::make_unique<Form1>(services.services(), folder.path());
        serverForm->Combo1->setEditText(QStringLiteral("大量"));
    }
    ~Catalogue()
    {
        if (!schema.isEmpty())
            PgConnection(server).exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));
    }
    QString path() const { return catalogueFilePath(folder.path()); }

    QString server;
    QString schema;
    QString onServer;
    std::unique_ptr<Form1> serverForm;
};

std::unique_ptr<Catalogue> g_catalogue;

Catalogue& catalogue()
{
    if (!g_catalogue)
        g_catalogue = std::make_unique<Catalogue>();
    setChosenCatalogue({});
    return *g_catalogue;
}

// The window over the copy on the server, or null (the run is then skipped).
Form1* serverForm(benchmark::State& state)
{
    Catalogue& c = catalogue();
    if (!c.serverForm) {
        state.SkipWithError("QUILMO_BENCH_PG is not set");
        return nullptr;
    }
    setChosenCatalogue(c.onServer);
    return c.serverForm.get();
}

// The same rows read with nothing but SQLite's C API.
int bareQuery(const QString& path, const char* sql, const QStringList& values)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray value = values[i].toUtf8();
        sqlite3_bind_text(stmt, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    }
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

void BM_LoadTitleList(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        Module1::LoadTitleList(*c.form);
        c.form->List1->doItemsLayout();
        benchmark::DoNotOptimize(c.form->List1->count());
    }
    state.counters["rows"] = c.form->List1->count();
}

void BM_BareTitleList(benchmark::State& state)
{
    Catalogue& c = catalogue();
    int rows = 0;
    for (auto _ : state)
        rows = bareQuery(c.path(),
                         "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? ORDER BY タイトル名",
                         {QStringLiteral("大量")});
    state.counters["rows"] = rows;
}

// The list's yardstick: the same rows read with SQLite's C API, then sorted
// in the catalogue's Japanese order by its own sort keys.
void BM_BareTitleListSorted(benchmark::State& state)
{
    Catalogue& c = catalogue();
    std::size_t rows = 0;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(c.path().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ?", -1, &stmt,
                           nullptr);
        const QByteArray category = QStringLiteral("大量").toUtf8();
        sqlite3_bind_text(stmt, 1, category.constData(), int(category.size()), SQLITE_TRANSIENT);
        std::vector<std::pair<QByteArray, QString>> keyed;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QString name =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                  sqlite3_column_bytes(stmt, 0));
            QByteArray key = japaneseSortKey(name);
            keyed.emplace_back(std::move(key), std::move(name));
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        rows = keyed.size();
        benchmark::DoNotOptimize(keyed.data());
    }
    state.counters["rows"] = double(rows);
}

// The store's share of the list: the same rows read into names, no window.
void BM_StoreTitleList(benchmark::State& state)
{
    Catalogue& c = catalogue();
    qsizetype rows = 0;
    for (auto _ : state) {
        CatalogueDb db(c.path());
        rows = store::listTitles(db, QStringLiteral("大量")).size();
    }
    state.counters["rows"] = double(rows);
}

void BM_SearchTitles(benchmark::State& state)
{
    Catalogue& c = catalogue();
    c.form->Text1->setText(QStringLiteral("第5巻"));
    for (auto _ : state) {
        Module1::SearchTitles(*c.form);
        c.form->List1->doItemsLayout();
        benchmark::DoNotOptimize(c.form->List1->count());
    }
    state.counters["rows"] = c.form->List1->count();
}

void BM_BareSearch(benchmark::State& state)
{
    Catalogue& c = catalogue();
    int rows = 0;
    for (auto _ : state)
        rows = bareQuery(
            c.path(), "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? AND タイトル名 LIKE ?",
            {QStringLiteral("大量"), QStringLiteral("%第5巻%")});
    state.counters["rows"] = rows;
}

// The same search with the catalogue's own matcher: the query the store runs,
// on a connection with the same registered functions, rows read as they come.
void BM_BareRuledSearch(benchmark::State& state)
{
    Catalogue& c = catalogue();
    int rows = 0;
    for (auto _ : state) {
        SqliteDatabase db(c.path());
        registerRuleFunctions(db);
        auto query = db.prepare(
            QStringLiteral("SELECT rowid, タイトル名 FROM タイトル WHERE カテゴリ名 = ?1 AND "
                           "カテゴリ名 = ?1 COLLATE BINARY AND jetlike(?2, タイトル名)"));
        query.bind(1, QStringLiteral("大量"));
        query.bind(2, QStringLiteral("*第5巻*"));
        rows = 0;
        while (query.step()) {
            benchmark::DoNotOptimize(query.text(1));
            ++rows;
        }
    }
    state.counters["rows"] = rows;
}

void BM_LoadTitleRecord(benchmark::State& state)
{
    Catalogue& c = catalogue();
    c.form->List1->clear();
    c.form->List1->addItem(QStringLiteral("タイトル16000 第92巻"));
    c.form->List1->setCurrentRow(0);
    for (auto _ : state) {
        Module1::LoadTitleRecord(*c.form);
        benchmark::DoNotOptimize(c.form->Text2->text());
    }
}

void BM_StoreTitleRecord(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        CatalogueDb db(c.path());
        benchmark::DoNotOptimize(store::readTitle(db, QStringLiteral("タイトル16000 第92巻")));
    }
}

void BM_BareTitleRecord(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state)
        bareQuery(
            c.path(),
            "SELECT タイトル名, 説明, サムネイルパス, ファイルパス, 作業フォルダ, 起動オプション "
            "FROM タイトル WHERE タイトル名 = ?",
            {QStringLiteral("タイトル16000 第92巻")});
}

void BM_LoadTitleListOnServer(benchmark::State& state)
{
    Form1* form = serverForm(state);
    for (auto _ : state) {
        Module1::LoadTitleList(*form);
        form->List1->doItemsLayout();
        benchmark::DoNotOptimize(form->List1->count());
    }
    if (form)
        state.counters["rows"] = form->List1->count();
}

void BM_SearchTitlesOnServer(benchmark::State& state)
{
    Form1* form = serverForm(state);
    if (form)
        form->Text1->setText(QStringLiteral("第5巻"));
    for (auto _ : state) {
        Module1::SearchTitles(*form);
        form->List1->doItemsLayout();
        benchmark::DoNotOptimize(form->List1->count());
    }
    if (form)
        state.counters["rows"] = form->List1->count();
}

void BM_LoadTitleRecordOnServer(benchmark::State& state)
{
    Form1* form = serverForm(state);
    if (form) {
        form->List1->clear();
        form->List1->addItem(QStringLiteral("タイトル16000 第92巻"));
        form->List1->setCurrentRow(0);
    }
    for (auto _ : state) {
        Module1::LoadTitleRecord(*form);
        benchmark::DoNotOptimize(form->Text2->text());
    }
}

} // namespace

BENCHMARK(BM_BareTitleList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareTitleListSorted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreTitleList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTitleList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareRuledSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTitles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareTitleRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreTitleRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadTitleRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadTitleListOnServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTitlesOnServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTitleRecordOnServer)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, [] { g_catalogue.reset(); });
}
