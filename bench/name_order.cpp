// The catalogue's Japanese name order at 40,000 titles, store only: sorting
// the names in memory with the Japanese collation, its precomputed sort keys,
// plain code points and the catalogue's sort key (ICU's key with the exact
// spelling after it); and the store's list,
// search and one-record read against the bare SQLite query of the same rows.
#include <algorithm>
#include <random>

#include <QCollator>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "store/catalogue_db.h"
#include "store/name_order.h"
#include "store/sqlite_database.h"
#include "store/text_fold.h"
#include "store/title_queries.h"

namespace
{

constexpr int kNames = 40000;

// Names as a Japanese catalogue holds them: kanji, both kana and both widths,
// Latin of both widths, numbers.
QStringList makeNames()
{
    const QStringList heads = {"資料",       "会議録", "ガイド",   "ｶﾞｲﾄﾞ",        "てびき",
                               "マニュアル", "ﾏﾆｭｱﾙ",  "Report",   "ＲＥＰＯＲＴ", "data",
                               "データ",     "ﾃﾞｰﾀ",   "写真",     "しゃしん",     "Ｍｅｍｏ",
                               "議事録",     "設計書", "せっけい", "ﾌﾟﾛｼﾞｪｸﾄ",     "2024年"};
    const QStringList tails = {"第一版", "改訂", "最終",       "下書き",
                               "ｺﾋﾟｰ",   "copy", "ＦＩＮＡＬ", "まとめ"};
    std::mt19937 random(42);
    QStringList names;
    names.reserve(kNames);
    for (int i = 0; i < kNames; ++i) {
        names.append(heads[random() % heads.size()] + QString::number(random() % 500) +
                     tails[random() % tails.size()] + QString::number(i));
    }
    return names;
}

const QStringList& names()
{
    static const QStringList all = makeNames();
    return all;
}

void SortWithCollatorCompare(benchmark::State& state)
{
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setNumericMode(true);
    for (auto _ : state) {
        QStringList sorted = names();
        std::sort(sorted.begin(), sorted.end(),
                  [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK(SortWithCollatorCompare)->Unit(benchmark::kMillisecond);

void SortWithCollatorSortKeys(benchmark::State& state)
{
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setNumericMode(true);
    for (auto _ : state) {
        std::vector<std::pair<QCollatorSortKey, QString>> keyed;
        keyed.reserve(size_t(kNames));
        for (const QString& name : names())
            keyed.emplace_back(collator.sortKey(name), name);
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        benchmark::DoNotOptimize(keyed.data());
    }
}
BENCHMARK(SortWithCollatorSortKeys)->Unit(benchmark::kMillisecond);

void SortByCodePoint(benchmark::State& state)
{
    for (auto _ : state) {
        QStringList sorted = names();
        std::sort(sorted.begin(), sorted.end());
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK(SortByCodePoint)->Unit(benchmark::kMillisecond);

void SortWithCatalogueKeys(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<std::pair<QByteArray, QString>> keyed;
        keyed.reserve(size_t(kNames));
        for (const QString& name : names())
            keyed.emplace_back(japaneseSortKey(name), name);
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        benchmark::DoNotOptimize(keyed.data());
    }
}
BENCHMARK(SortWithCatalogueKeys)->Unit(benchmark::kMillisecond);

void BuildCatalogueKeysOnly(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& name : names())
            benchmark::DoNotOptimize(japaneseSortKey(name));
    }
}
BENCHMARK(BuildCatalogueKeysOnly)->Unit(benchmark::kMillisecond);

void FoldOnly(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& name : names())
            benchmark::DoNotOptimize(foldForComparison(name));
    }
}
BENCHMARK(FoldOnly)->Unit(benchmark::kMillisecond);

struct Catalogue {
    QTemporaryDir folder;
    QString path;
    Catalogue() : path(catalogueFilePath(folder.path()))
    {
        createCatalogueIfMissing(path);
        SqliteDatabase db(path);
        db.transaction([&] {
            auto insert = db.prepare(QStringLiteral(
                "INSERT INTO タイトル VALUES (?, '説明文', '/pics/a.jpg', ?, '大量', ' ', ' ')"));
            for (const QString& name : names()) {
                insert.bind(1, name);
                insert.bind(2, QStringLiteral("/docs/%1.pdf\r\n").arg(name));
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

// The bare query on a connection with the rule registered, reading the names.
qsizetype bareNames(const QString& sql, const QStringList& values)
{
    CatalogueDb db(catalogue().path);
    auto query = db.prepare(sql);
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bind(int(i + 1), values[i]);
    qsizetype rows = 0;
    while (query.step())
        rows += query.text(0).size() > 0;
    return rows;
}

void StoreListTitles(benchmark::State& state)
{
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        benchmark::DoNotOptimize(store::listTitles(db, QStringLiteral("大量")).size());
    }
}
BENCHMARK(StoreListTitles)->Unit(benchmark::kMillisecond);

void BareQueryOrderedByCatalogueKey(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bareNames("SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? "
                                           "ORDER BY ruled_sortkey(タイトル名)",
                                           {"大量"}));
}
BENCHMARK(BareQueryOrderedByCatalogueKey)->Unit(benchmark::kMillisecond);

// The yardstick of the list: the bare query of the same rows, then the same
// ordering alone.
void BareQueryThenSortByCatalogueKey(benchmark::State& state)
{
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        auto query = db.prepare("SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ?");
        query.bind(1, QStringLiteral("大量"));
        std::vector<std::pair<QByteArray, QString>> keyed;
        while (query.step()) {
            QString name = query.text(0);
            keyed.emplace_back(japaneseSortKey(name), std::move(name));
        }
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        benchmark::DoNotOptimize(keyed.data());
    }
}
BENCHMARK(BareQueryThenSortByCatalogueKey)->Unit(benchmark::kMillisecond);

void BareQueryOrderedByNocase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bareNames(
            "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? ORDER BY タイトル名", {"大量"}));
}
BENCHMARK(BareQueryOrderedByNocase)->Unit(benchmark::kMillisecond);

void StoreSearchTitles(benchmark::State& state)
{
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        benchmark::DoNotOptimize(
            store::searchTitles(db, QStringLiteral("大量"), QStringLiteral("ｶﾞｲﾄﾞ")).size());
    }
}
BENCHMARK(StoreSearchTitles)->Unit(benchmark::kMillisecond);

void BareSearchQuery(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bareNames(
            "SELECT タイトル名 FROM タイトル WHERE カテゴリ名 = ? AND jetlike(?, タイトル名)",
            {"大量", "*ｶﾞｲﾄﾞ*"}));
}
BENCHMARK(BareSearchQuery)->Unit(benchmark::kMillisecond);

void StoreReadTitleExact(benchmark::State& state)
{
    const QString name = names()[kNames / 2];
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        benchmark::DoNotOptimize(store::readTitle(db, name));
    }
}
BENCHMARK(StoreReadTitleExact)->Unit(benchmark::kMicrosecond);

void StoreReadTitleOtherWriting(benchmark::State& state)
{
    const QString name = foldForComparison(names()[kNames / 2]).toUpper();
    for (auto _ : state) {
        CatalogueDb db(catalogue().path);
        benchmark::DoNotOptimize(store::readTitle(db, name));
    }
}
BENCHMARK(StoreReadTitleOtherWriting)->Unit(benchmark::kMicrosecond);

void BareReadTitle(benchmark::State& state)
{
    const QString name = names()[kNames / 2];
    for (auto _ : state)
        benchmark::DoNotOptimize(bareNames(
            "SELECT タイトル名, 説明, サムネイルパス, ファイルパス, 作業フォルダ, 起動オプション, "
            "カテゴリ名 FROM タイトル WHERE タイトル名 = ?",
            {name}));
}
BENCHMARK(BareReadTitle)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
