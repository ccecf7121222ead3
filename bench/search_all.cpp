// The search over every category, store only: 40,000 titles in 40
// categories, each with a description, searched through the store and
// through the bare query of the same rows on a connection with the same
// functions registered, for a text a few titles hold in their names, one a
// quarter hold in their descriptions, and the empty text that finds them all.
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "store/catalogue_db.h"
#include "store/search_all.h"
#include "store/sqlite_database.h"

namespace
{

constexpr int kTitles = 40000;
constexpr int kCategories = 40;

struct Catalogue {
    QTemporaryDir folder;
    QString path;
    Catalogue() : path(catalogueFilePath(folder.path()))
    {
        createCatalogueIfMissing(path);
        SqliteDatabase db(path);
        db.transaction([&] {
            auto category = db.prepare(QStringLiteral("INSERT INTO カテゴリ VALUES (?)"));
            for (int i = 0; i < kCategories; ++i) {
                category.bind(1, QStringLiteral("分類%1").arg(i));
                category.step();
                category.reset();
            }
            auto insert = db.prepare(
                QStringLiteral("INSERT INTO タイトル VALUES (?, ?, ' ', ' \r\n', ?, ' ', ' ')"));
            for (int i = 0; i < kTitles; ++i) {
                insert.bind(1, QStringLiteral("タイトル%1 第%2巻")
                                   .arg(i, 5, 10, QLatin1Char('0'))
                                   .arg(i % 97));
                // Every fourth description carries a half-width note mark.
                insert.bind(
                    2, QStringLiteral("%1 番目の資料の説明です。%2")
                           .arg(i)
                           .arg(i % 4 ? QStringLiteral("備考なし") : QStringLiteral("ﾒﾓ付き")));
                insert.bind(3, QStringLiteral("分類%1").arg(i % kCategories));
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

void StoreSearchAll(benchmark::State& state, const QString& text)
{
    qsizetype hits = 0;
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        const QList<FoundTitle> found = store::searchAllTitles(db, text);
        hits = found.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
}

// The yardstick: the same rows read by the bare statement with the
// registered rule, unordered, on a connection opened the same way.
void BareSearchAllQuery(benchmark::State& state, const QString& text)
{
    const QString pattern = QLatin1Char('*') + text + QLatin1Char('*');
    qsizetype hits = 0;
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        auto query =
            db.prepare(QStringLiteral("SELECT rowid, タイトル名, カテゴリ名 FROM タイトル "
                                      "WHERE jetlike(?1, タイトル名) OR jetlike(?1, 説明)"));
        query.bind(1, pattern);
        hits = 0;
        while (query.step())
            hits += query.integer(0) > 0 && !query.text(1).isEmpty() && !query.text(2).isEmpty();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
}

BENCHMARK_CAPTURE(StoreSearchAll, name, QStringLiteral("第7巻"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSearchAllQuery, name, QStringLiteral("第7巻"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StoreSearchAll, description, QStringLiteral("めも"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSearchAllQuery, description, QStringLiteral("めも"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StoreSearchAll, everything, QString())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSearchAllQuery, everything, QString())->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
