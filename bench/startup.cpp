// Start-up cost of the main window: building Form1, loading it over a
// catalogue of 200 categories and painting its first frame, against building
// and painting a bare window of the same size.
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "app/wiring.h"
#include "bench_support.h"
#include "store/catalogue_db.h"
#include "store/sqlite_database.h"
#include "ui/main/form1.h"
#include "ui/twips.h"

namespace
{

void BM_EmptyWindow(benchmark::State& state)
{
    for (auto _ : state) {
        QWidget window;
        window.setFixedSize(twipsToPixels(7950), twipsToPixels(6105));
        benchmark::DoNotOptimize(window.grab());
    }
}

void BM_Form1Startup(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = catalogueFilePath(folder.path());
    createCatalogueIfMissing(path);
    {
        SqliteDatabase db(path);
        db.transaction([&] {
            auto insert =
                db.prepare(QStringLiteral("INSERT INTO カテゴリ (カテゴリ名) VALUES (?)"));
            for (int i = 0; i < 200; ++i) {
                insert.bind(1, QStringLiteral("カテゴリ%1").arg(i, 3, 10, QLatin1Char('0')));
                insert.step();
                insert.reset();
            }
        });
    }
    BenchServices services;
    for (auto _ : state) {
        Form1 form(services.services(), folder.path());
        connectHandlers(form);
        form.Form_Load();
        benchmark::DoNotOptimize(form.grab());
    }
}

} // namespace

BENCHMARK(BM_EmptyWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Form1Startup)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
