#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "launch/broken_links.h"

namespace
{

constexpr int kFolders = 2000;
constexpr int kTitles = 40000;

// 40,000 titles in 2,000 folders, one file in twenty gone, each title naming
// its file as its link target and nothing else.
struct Tree {
    QTemporaryDir root;
    QList<StoredTitle> titles;
    std::vector<QByteArray> paths;

    Tree()
    {
        for (int t = 0; t < kTitles; ++t) {
            const QString folder = root.filePath(QStringLiteral("f%1").arg(t % kFolders));
            if (t < kFolders)
                QDir().mkpath(folder);
            const QString path = folder + QStringLiteral("/title%1.txt").arg(t);
            if (t % 20 != 0) {
                QFile file(path);
                (void)file.open(QIODevice::WriteOnly);
            }
            StoredTitle title;
            title.row = t + 1;
            title.record.name = QStringLiteral("title%1").arg(t);
            title.record.linkTargets = path + QStringLiteral("\r\n");
            title.record.thumbnailPath = QStringLiteral(" ");
            title.record.workingFolder = QStringLiteral(" ");
            titles.append(title);
            paths.push_back(QFile::encodeName(path));
        }
    }
};

Tree& tree()
{
    static Tree made;
    return made;
}

void BM_BrokenLinkCheck(benchmark::State& state)
{
    Tree& t = tree();
    for (auto _ : state) {
        const auto broken = findBrokenLinks(t.titles, QDir::homePath(), QDir::currentPath());
        if (broken.size() != kTitles / 20)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(broken);
    }
}
BENCHMARK(BM_BrokenLinkCheck)->Unit(benchmark::kMillisecond);

// The yardstick: one stat of each path, nothing else.
void BM_StatEachPath(benchmark::State& state)
{
    Tree& t = tree();
    for (auto _ : state) {
        int missing = 0;
        struct stat info;
        for (const QByteArray& path : t.paths)
            missing += ::stat(path.constData(), &info) != 0;
        if (missing != kTitles / 20)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(missing);
    }
}
BENCHMARK(BM_StatEachPath)->Unit(benchmark::kMillisecond);

} // namespace
