// Pictures at the speed of the eye. Each figure is measured beside its floor
// in the same run, and the ratios are printed at the end:
//   ShowThumbnail of a 6000 x 4000 JPEG, first time, against a full decode
//   then scale, and against the decoder's own scaled read at 750 x 500;
//   the same call again on the unchanged file;
//   typing 20 characters into Combo3 beside that thumbnail, against the same
//   typing with an empty Text5;
//   one step → through twenty such JPEGs once the neighbours are decoded;
//   BuildImageList on a folder of 1000 pictures and 5000 other files,
//   against a plain listing of the folder.
// The pictures are made in a temporary folder at start.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/wiring.h"
#include "bench_support.h"
#include "images/image_list.h"
#include "images/image_navigation.h"
#include "launch/thumbnail.h"
#include "ui/main/form1.h"
#include "ui/picture_cache.h"

namespace
{

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;
constexpr int kStepPhotos = 20;
constexpr int kListedPictures = 1000;
constexpr int kOtherFiles = 5000;
// The size ShowThumbnail decodes a 3:2 photo at: the area's height of 170
// pixels, the width in proportion.
const QSize kShownSize(255, 170);
const QString kTyped = QStringLiteral("meeting-notes-01.txt");

bool setModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(time, QFileDevice::FileModificationTime);
}

// A photo-like picture: smooth gradients with some detail, so the JPEG
// decoder has real work to do.
QImage photo()
{
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPhotoWidth; ++x)
            line[x] = qRgb((x * 255 / kPhotoWidth) ^ (y & 31), (y * 255 / kPhotoHeight),
                           ((x + y) & 255) ^ ((x * y) & 15));
    }
    return image;
}

struct Pictures {
    QTemporaryDir root;
    QString photo;      // the 6000 x 4000 JPEG
    QString stepFolder; // twenty of them
    QString bigFolder;  // 1000 pictures among 5000 other files
    QString typedTarget;
    BenchServices services;
    std::unique_ptr<Form1> form;

    Pictures()
    {
        const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
        QDir top(root.path());
        top.mkpath(QStringLiteral("steps"));
        top.mkpath(QStringLiteral("big"));
        stepFolder = top.filePath(QStringLiteral("steps"));
        bigFolder = top.filePath(QStringLiteral("big"));

        photo = top.filePath(QStringLiteral("photo.jpg"));
        photo_ok = ::photo().save(photo, "JPEG", 90) && setModified(photo, hourAgo);
        for (int i = 0; i < kStepPhotos; ++i) {
            const QString copy =
                stepFolder + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QChar('0'));
            photo_ok = photo_ok && QFile::copy(photo, copy) && setModified(copy, hourAgo);
        }
        for (int i = 0; i < kListedPictures + kOtherFiles; ++i) {
            const char* kind =
                i < kListedPictures ? (i % 2 ? "jpg" : "png") : (i % 3 ? "txt" : "doc");
            QFile file(bigFolder +
                       QStringLiteral("/file%1.%2").arg(i, 5, 10, QChar('0')).arg(kind));
            file.open(QIODevice::WriteOnly);
        }
        typedTarget = top.filePath(kTyped);
        QFile notes(typedTarget);
        notes.open(QIODevice::WriteOnly);
        notes.write("notes\n");

        form = std::make_unique<Form1>(services.services(), root.path());
        connectHandlers(*form);
        form->show();
    }
    bool photo_ok = false;
};

std::unique_ptr<Pictures> g_pictures;

Pictures& pictures()
{
    if (!g_pictures)
        g_pictures = std::make_unique<Pictures>();
    return *g_pictures;
}

void BM_ShowThumbnailFirst(benchmark::State& state)
{
    Pictures& p = pictures();
    QDateTime time = QDateTime::currentDateTime().addSecs(-7200);
    for (auto _ : state) {
        // Another time: the file counts as changed, as at its first showing.
        state.PauseTiming();
        time = time.addSecs(1);
        setModified(p.photo, time);
        state.ResumeTiming();
        Module1::ShowThumbnail(*p.form, p.photo);
    }
    state.counters["width"] = p.form->Image1->pixmap().width();
    if (p.form->Image1->pixmap().size() != kShownSize)
        state.SkipWithError("the thumbnail was not shown");
}

void BM_FullDecodeThenScale(benchmark::State& state)
{
    Pictures& p = pictures();
    for (auto _ : state) {
        QImageReader reader(p.photo);
        const QImage whole = reader.read();
        const QImage shown =
            whole.scaled(kShownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void BM_DecoderScaledRead(benchmark::State& state)
{
    Pictures& p = pictures();
    for (auto _ : state) {
        QImageReader reader(p.photo);
        reader.setScaledSize(QSize(750, 500));
        const QImage eighth = reader.read();
        benchmark::DoNotOptimize(eighth.constBits());
    }
}

void BM_ShowThumbnailAgain(benchmark::State& state)
{
    Pictures& p = pictures();
    Module1::ShowThumbnail(*p.form, p.photo);
    for (auto _ : state)
        Module1::ShowThumbnail(*p.form, p.photo);
    if (p.form->Image1->pixmap().size() != kShownSize)
        state.SkipWithError("the thumbnail was not shown");
}

// Types kTyped into the link-target box, one key event a character, as the
// keyboard does.
void typeTarget(Form1& form)
{
    QLineEdit* edit = form.Combo3->lineEdit();
    for (const QChar c : kTyped) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &release);
    }
}

void typing(benchmark::State& state, const QString& thumbnail)
{
    Pictures& p = pictures();
    p.form->Text5->setText(thumbnail);
    const QString folder = QFileInfo(p.typedTarget).path() + QLatin1Char('/');
    Module1::ShowThumbnail(*p.form, thumbnail);
    for (auto _ : state) {
        state.PauseTiming();
        p.form->Combo3->setEditText(folder);
        p.form->Combo3->lineEdit()->setFocus();
        p.form->Combo3->lineEdit()->end(false);
        state.ResumeTiming();
        typeTarget(*p.form);
    }
    if (p.form->Combo3->currentText() != p.typedTarget)
        state.SkipWithError("the typing did not reach the box");
    p.form->Text5->clear();
}

void BM_TypingBesideThumbnail(benchmark::State& state)
{
    typing(state, pictures().photo);
}

void BM_TypingWithoutThumbnail(benchmark::State& state)
{
    typing(state, QString());
}

void BM_StepNextNeighboursReady(benchmark::State& state)
{
    Pictures& p = pictures();
    Form1& form = *p.form;
    form.Text5->setText(QDir(p.stepFolder).filePath(QStringLiteral("IMG_0000.jpg")));
    Module1::ShowThumbnail(form, form.Text5->text());
    Module1::BuildImageList(form);
    PictureCache& cache = form.pictureCache;
    for (auto _ : state) {
        state.PauseTiming();
        cache.waitForPrefetch();
        state.ResumeTiming();
        form.Command15_Click();
    }
    cache.waitForPrefetch();
    if (form.Image1->pixmap().size() != kShownSize)
        state.SkipWithError("the step showed no picture");
}

void BM_BuildImageList(benchmark::State& state)
{
    Pictures& p = pictures();
    Form1& form = *p.form;
    form.Text5->setText(QDir(p.bigFolder).filePath(QStringLiteral("file00001.jpg")));
    for (auto _ : state)
        Module1::BuildImageList(form);
    state.counters["listed"] = form.Text7->text().toInt();
    form.pictureCache.waitForPrefetch();
}

void BM_PlainListing(benchmark::State& state)
{
    Pictures& p = pictures();
    qsizetype count = 0;
    for (auto _ : state)
        count = QDir(p.bigFolder).entryList(QDir::Files | QDir::Hidden, QDir::Unsorted).size();
    state.counters["files"] = double(count);
}

BENCHMARK(BM_ShowThumbnailFirst)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_FullDecodeThenScale)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_DecoderScaledRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ShowThumbnailAgain)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TypingBesideThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TypingWithoutThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StepNextNeighboursReady)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildImageList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainListing)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console report, with each figure set against its floor at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // With repetitions, their mean stands for the figure.
            const bool figure = run.run_type == Run::RT_Iteration || run.aggregate_name == "mean";
            if (figure && !run.error_occurred) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                m_seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / unit;
                m_cpuSeconds[run.run_name.function_name] = run.GetAdjustedCPUTime() / unit;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // On a machine shared with other work the wall clock counts their
        // turns too; the window thread's own CPU time is given beside it.
        std::printf("\nagainst the floors (real time; CPU time of the window's thread):\n");
        ratio("BM_ShowThumbnailFirst", "BM_FullDecodeThenScale", "<= 0.5");
        ratio("BM_ShowThumbnailFirst", "BM_DecoderScaledRead", "<= 1.3");
        absolute("BM_ShowThumbnailAgain", "< 1 ms");
        ratio("BM_TypingBesideThumbnail", "BM_TypingWithoutThumbnail", "<= 1.2");
        absolute("BM_StepNextNeighboursReady", "< 16 ms");
        ratio("BM_BuildImageList", "BM_PlainListing", "<= 2");
    }

private:
    void ratio(const std::string& ours, const std::string& floor, const char* goal)
    {
        if (!m_seconds.count(ours) || !m_seconds.count(floor))
            return;
        std::printf("  %-28s / %-28s = %6.2f; CPU %6.2f  (goal %s)\n", ours.c_str(), floor.c_str(),
                    m_seconds[ours] / m_seconds[floor], m_cpuSeconds[ours] / m_cpuSeconds[floor],
                    goal);
    }
    void absolute(const std::string& ours, const char* goal)
    {
        if (m_seconds.count(ours))
            std::printf("  %-28s = %9.3f ms; CPU %9.3f ms  (goal %s)\n", ours.c_str(),
                        m_seconds[ours] * 1e3, m_cpuSeconds[ours] * 1e3, goal);
    }
    std::map<std::string, double> m_seconds;
    std::map<std::string, double> m_cpuSeconds;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!pictures().photo_ok) {
        std::fprintf(stderr, "could not make the test pictures\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    g_pictures.reset();
    return 0;
}
