// The narrowing search over long names, store only: 100 titles of 30,000
// characters searched for a 1,000-character text, through the store and
// through the bare query on a connection with the same functions registered.
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "store/catalogue_db.h"
#include "store/sqlite_database.h"
#include "store/title_queries.h"

namespace
{

constexpr int kTitles = 100;
constexpr int kNameLength = 30000;
constexpr int kSearchLength = 1000;

// Kana that fold to one another, so every letter of every name nearly
// matches the search text and only the last letter tells.
QString searchText()
{
    return QString(kSearchLength - 1, QChar(u'あ')) + QChar(u'い');
}

struct Catalogue {
    QTemporaryDir folder;
    QString path;
    Catalogue() : path(catalogueFilePath(folder.path()))
    {
        createCatalogueIfMissing(path);
        SqliteDatabase db(path);
        db.transaction([&] {
            auto insert = db.prepare(QStringLiteral(
                "INSERT INTO タイトル VALUES (?, '説明文', ' ', ' ', '長い名前', ' ', ' ')"));
            for (int i = 0; i < kTitles; ++i) {
                QString name = QString::number(i) + QString(kNameLength, QChar(u'ア'));
                // One title holds the search text, at its very end.
                if (i == kTitles / 2)
                    name += QChar(u'イ');
                insert.bind(1, name);
                insert.step();
                insert.reset();
            }
        });
    }
};

Catalogue& catalogue()
{
    static Catalogue instance;
    return instance;
}

void StoreSearchLongNames(benchmark::State& state)
{
    const QString text = searchText();
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        const auto found = store::searchTitles(db, QStringLiteral("長い名前"), text);
        if (found.size() != 1)
            state.SkipWithError("wrong hits");
        benchmark::DoNotOptimize(found.size());
    }
}
BENCHMARK(StoreSearchLongNames)->Unit(benchmark::kMillisecond);

// The yardstick: the same statement on a connection with the same functions,
// reading the names.
void BareSearchQueryLongNames(benchmark::State& state)
{
    const QString pattern = QLatin1Char('*') + searchText() + QLatin1Char('*');
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        auto query = db.prepare(QStringLiteral(
            "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? AND jetlike(?, タイトル名)"));
        query.bind(1, QStringLiteral("長い名前"));
        query.bind(2, pattern);
        qsizetype rows = 0;
        while (query.step())
            rows += query.text(0).size() > 0;
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BareSearchQueryLongNames)->Unit(benchmark::kMillisecond);

// The bare query without any match, to show what reading the rows costs.
void BareQueryLongNamesNoMatch(benchmark::State& state)
{
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        auto query =
            db.prepare(QStringLiteral("SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ?"));
        query.bind(1, QStringLiteral("長い名前"));
        qsizetype rows = 0;
        while (query.step())
            rows += query.text(0).size() > 0;
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BareQueryLongNamesNoMatch)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
