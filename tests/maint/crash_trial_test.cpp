// Kills a process at random moments while it changes the catalogue, and
// checks after each kill that the file is sound and holds exactly the
// operations that finished: every one the process reported, possibly the one
// it was doing when it died, and none of that one only in part.
//
// QUILMO_CRASH_TRIALS sets the number of kills (20 by default);
// QUILMO_CRASH_SEED repeats a run.

#include <algorithm>
#include <csignal>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "store/drive_conversion.h"
#include "store/schema.h"
#include "store/title_queries.h"

namespace
{

using Random = std::mt19937_64;

// What the catalogue holds, kept beside the file so the two can be compared.
struct Model {
    std::map<QString, TitleRecord> titles;
    std::vector<QString> categories;
    int nextId = 0;
};

bool sameRow(const TitleRecord& a, const TitleRecord& b)
{
    return a.name == b.name && a.description == b.description &&
           a.thumbnailPath == b.thumbnailPath && a.linkTargets == b.linkTargets &&
           a.workingFolder == b.workingFolder && a.launchOptions == b.launchOptions &&
           a.category == b.category;
}

bool same(const Model& a, const Model& b)
{
    auto sorted = [](std::vector<QString> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    return std::equal(a.titles.begin(), a.titles.end(), b.titles.begin(), b.titles.end(),
                      [](const auto& x, const auto& y) { return sameRow(x.second, y.second); }) &&
           sorted(a.categories) == sorted(b.categories);
}

enum class Kind { AddCategory, Register, Update, Delete, DeleteCategoryTitles, Convert };

struct Operation {
    Kind kind;
    TitleRecord title;    // Register, Update
    QString name;         // Delete, AddCategory, DeleteCategoryTitles
    QString column;       // Convert
    QString oldPrefix;    // Convert
    QString newPrefix;    // Convert
    std::string describe; // the line the child reports once it is done
};

const QString kColumns[] = {store::schema::kThumbnailPath, store::schema::kLinkTargets,
                            store::schema::kLaunchOptions, store::schema::kWorkingFolder};

QString drive(Random& random, bool anyCase)
{
    const char letter = char('C' + random() % 3);
    const bool lower = anyCase && random() % 2;
    return QString(QChar(lower ? letter + ('a' - 'A') : letter)) + QLatin1Char(':');
}

template <typename T> const T& pick(Random& random, const std::vector<T>& from)
{
    return from[random() % from.size()];
}

// Every field says which title and which edit it belongs to, so a row that
// mixed two edits would be seen.
TitleRecord edition(Random& random, const Model& model, const QString& name, int version)
{
    const QString tag = QStringLiteral("%1-v%2").arg(name).arg(version);
    TitleRecord title;
    title.name = name;
    title.description = QStringLiteral("説明 %1\r\n二行目").arg(tag);
    title.thumbnailPath = drive(random, true) + QStringLiteral("\\pics\\%1.png").arg(tag);
    title.linkTargets = drive(random, true) + QStringLiteral("\\docs\\%1.doc\r\n").arg(tag) +
                        drive(random, true) + QStringLiteral("\\docs\\%1.xls\r\n").arg(tag);
    title.workingFolder = drive(random, true) + QStringLiteral("\\work\\%1").arg(tag);
    title.launchOptions = drive(random, true) + QStringLiteral("\\opt\\%1.ini").arg(tag);
    title.category = pick(random, model.categories);
    return title;
}

int versionOf(const TitleRecord& title)
{
    const qsizetype at = title.description.indexOf(QStringLiteral("-v"));
    return title.description.mid(at + 2).section(QLatin1Char('\r'), 0, 0).toInt();
}

// The next operation, drawn from random and the catalogue's state alone, so
// the child that runs it and the parent that checks it draw the same.
Operation nextOperation(Random& random, const Model& model)
{
    const int roll = int(random() % 100);
    std::vector<QString> names;
    for (const auto& [name, title] : model.titles)
        names.push_back(name);
    Operation op{};
    if (model.categories.empty() || roll < 5) {
        op.kind = Kind::AddCategory;
        op.name = QStringLiteral("分類%1").arg(model.nextId);
    } else if (names.empty() || (roll < 40 && names.size() < 60)) {
        op.kind = Kind::Register;
        op.title = edition(random, model, QStringLiteral("作品%1").arg(model.nextId), 0);
    } else if (roll < 65) {
        op.kind = Kind::Update;
        const TitleRecord& old = model.titles.at(pick(random, names));
        op.title = edition(random, model, old.name, versionOf(old) + 1);
    } else if (roll < 80) {
        op.kind = Kind::Delete;
        op.name = pick(random, names);
    } else if (roll < 83) {
        op.kind = Kind::DeleteCategoryTitles;
        op.name = pick(random, model.categories);
    } else {
        op.kind = Kind::Convert;
        op.column = kColumns[random() % 4];
        op.oldPrefix = drive(random, true);
        op.newPrefix = drive(random, false);
    }
    op.describe = std::to_string(int(op.kind)) + ' ' +
                  (op.name + op.title.name + op.column + op.oldPrefix + op.newPrefix).toStdString();
    return op;
}

QString& columnOf(TitleRecord& title, const QString& column)
{
    if (column == store::schema::kThumbnailPath)
        return title.thumbnailPath;
    if (column == store::schema::kLinkTargets)
        return title.linkTargets;
    if (column == store::schema::kLaunchOptions)
        return title.launchOptions;
    return title.workingFolder;
}

void apply(Model& model, const Operation& op)
{
    switch (op.kind) {
    case Kind::AddCategory:
        model.categories.push_back(op.name);
        ++model.nextId;
        break;
    case Kind::Register:
        model.titles[op.title.name] = op.title;
        ++model.nextId;
        break;
    case Kind::Update:
        model.titles[op.title.name] = op.title;
        break;
    case Kind::Delete:
        model.titles.erase(op.name);
        break;
    case Kind::DeleteCategoryTitles:
        std::erase_if(model.titles,
                      [&](const auto& entry) { return entry.second.category == op.name; });
        break;
    case Kind::Convert:
        for (auto& [name, title] : model.titles) {
            QString& value = columnOf(title, op.column);
            const auto converted =
                op.column == store::schema::kLinkTargets
                    ? store::conversion::convertLinkTargets(value, op.oldPrefix, op.newPrefix)
                    : store::conversion::convertPrefix(value, op.oldPrefix, op.newPrefix);
            if (converted)
                value = *converted;
        }
        break;
    }
}

// Runs op through the store, on a connection of its own as the program does.
void perform(const QString& path, const Operation& op)
{
    CatalogueDb db(path);
    switch (op.kind) {
    case Kind::AddCategory:
        store::insertCategory(db, op.name);
        break;
    case Kind::Register:
        store::insertTitle(db, op.title);
        break;
    case Kind::Update:
        if (!store::updateTitle(db, op.title))
            throw DbError("update found no title");
        break;
    case Kind::Delete:
        if (!store::deleteTitle(db, op.name))
            throw DbError("delete found no title");
        break;
    case Kind::DeleteCategoryTitles:
        store::deleteTitlesOfCategory(db, op.name);
        break;
    case Kind::Convert:
        store::conversion::convertColumn(db, op.column, op.oldPrefix, op.newPrefix);
        break;
    }
}

void writeLine(int fd, const std::string& line)
{
    // One write of less than a pipe buffer arrives whole or not at all.
    const std::string text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
}

// The child: operations until it is killed, each reported once its call has
// returned. Touches nothing but the store.
[[noreturn]] void runChild(const QString& path, Model model, Random random, int report)
{
    try {
        for (;;) {
            const Operation op = nextOperation(random, model);
            perform(path, op);
            apply(model, op);
            writeLine(report, op.describe);
        }
    } catch (const std::exception& error) {
        writeLine(report, std::string("E ") + error.what());
    }
    _exit(2);
}

std::string readAll(int fd)
{
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(chunk, size_t(got));
    }
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The file as it is, read without the program's own code paths.
Model stored(const QString& path, QString& integrity)
{
    SqliteDatabase db(path);
    auto check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    while (check.step())
        integrity += check.text(0);
    Model model;
    auto titles = db.prepare(QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7 FROM %8")
                                 .arg(store::schema::kTitleName, store::schema::kDescription,
                                      store::schema::kThumbnailPath, store::schema::kLinkTargets,
                                      store::schema::kWorkingFolder, store::schema::kLaunchOptions,
                                      store::schema::kCategoryName, store::schema::kTitleTable));
    while (titles.step()) {
        const TitleRecord title{titles.text(0), titles.text(1), titles.text(2), titles.text(3),
                                titles.text(4), titles.text(5), titles.text(6)};
        model.titles[title.name] = title;
    }
    auto categories =
        db.prepare(QStringLiteral("SELECT %1 FROM %2")
                       .arg(store::schema::kCategoryName, store::schema::kCategoryTable));
    while (categories.step())
        model.categories.push_back(categories.text(0));
    return model;
}

int settingFromEnvironment(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

TEST(CrashTrial, KilledWriterLeavesASoundFileWithExactlyTheFinishedOperations)
{
    const int trials = settingFromEnvironment("QUILMO_CRASH_TRIALS", 20);
    const auto runSeed = quint64(
        settingFromEnvironment("QUILMO_CRASH_SEED", int(std::random_device{}() & 0x7fffffff)));
    Random timing(runSeed);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = catalogueFilePath(folder.path());
    ASSERT_TRUE(createCatalogueIfMissing(path));

    Model model;
    long finished = 0;
    int nextAlreadyIn = 0;
    int convertingWhenKilled = 0;
    int killedInsideAWrite = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const quint64 seed = runSeed * 1000003u + quint64(trial);
        SCOPED_TRACE("QUILMO_CRASH_SEED=" + std::to_string(runSeed) + " trial " +
                     std::to_string(trial));
        int report[2];
        ASSERT_EQ(pipe2(report, O_CLOEXEC), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(report[0]);
            runChild(path, model, Random(seed), report[1]);
        }
        ::close(report[1]);

        // Mostly while it is busy, now and then right at its start.
        const long delayUs = timing() % 8 == 0 ? long(timing() % 2000) : long(timing() % 150000);
        const timespec delay{0, delayUs * 1000};
        nanosleep(&delay, nullptr);
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::vector<std::string> lines = linesOf(readAll(report[0]));
        ::close(report[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the child ended on its own: " << (lines.empty() ? "" : lines.back());

        // Replays what the child reported, each line checked against the
        // operation it stands for.
        Random replay(seed);
        for (const std::string& line : lines) {
            const Operation op = nextOperation(replay, model);
            ASSERT_EQ(line, op.describe);
            apply(model, op);
        }
        finished += long(lines.size());
        const Operation unreported = nextOperation(replay, model);
        Model ifDone = model;
        apply(ifDone, unreported);

        // A journal left behind means the kill came inside a write, which
        // the next connection has to roll back.
        if (QFileInfo::exists(path + QStringLiteral("-journal")))
            ++killedInsideAWrite;
        QString integrity;
        const Model file = stored(path, integrity);
        ASSERT_EQ(integrity, "ok");
        if (same(file, ifDone) && !same(file, model)) {
            ++nextAlreadyIn;
            model = ifDone;
        } else {
            ASSERT_TRUE(same(file, model))
                << "after " << lines.size() << " operations the file holds neither their "
                << "result nor that of the next one (" << unreported.describe << ")";
        }
        if (unreported.kind == Kind::Convert)
            ++convertingWhenKilled;
    }
    // Without any finished operation the trials would have shown nothing.
    EXPECT_GT(finished, 0);
    std::cout << "crash trials: " << trials << ", seed " << runSeed << ", operations finished "
              << finished << ", kills after the call returned but before its report "
              << nextAlreadyIn << ", kills while a conversion was due " << convertingWhenKilled
              << ", kills that left a journal to roll back " << killedInsideAWrite
              << ", titles in the file at the end " << model.titles.size() << '\n';
}

} // namespace

// Two editors, each in a process of its own, update the same few titles as
// the window does: a title is read once, then each save checks against what
// the editor last saw and, when it went through, takes what it wrote as the
// new baseline; a refused save reads the title again. Every save appends its
// own mark to the description, so a save that overwrote another's without a
// refusal shows as a mark missing from the file.
//
// QUILMO_RACE_UPDATES sets the number of saves tried (1000 by default).
namespace race
{

constexpr int kTitles = 6;

QString titleName(int index)
{
    return QStringLiteral("共有%1").arg(index);
}

[[noreturn]] void runEditor(const QString& path, int editor, int saves, int go, int report)
{
    char start = 0;
    [[maybe_unused]] const ssize_t got = ::read(go, &start, 1);
    Random random(quint64(editor) * 7919u + 17u);
    std::optional<StoredTitle> baseline[kTitles];
    std::string lines;
    for (int save = 0; save < saves; ++save) {
        const int index = int(random() % kTitles);
        const std::string mark = 'e' + std::to_string(editor) + '.' + std::to_string(save);
        try {
            CatalogueDb db(path);
            if (!baseline[index])
                baseline[index] = store::readStoredTitle(db, titleName(index));
            TitleRecord edited = baseline[index]->record;
            edited.description += QStringLiteral(" %1").arg(QString::fromStdString(mark));
            StoredTitle written;
            switch (store::updateTitleIfUnchanged(db, *baseline[index], edited, &written)) {
            case WriteOutcome::Done:
                baseline[index] = written;
                lines += "D " + std::to_string(index) + ' ' + mark + '\n';
                break;
            case WriteOutcome::ChangedSinceRead:
                baseline[index].reset();
                lines += "C\n";
                break;
            case WriteOutcome::Missing:
                lines += "M\n";
                break;
            }
        } catch (const std::exception& error) {
            lines += std::string("B ") + error.what() + '\n';
        }
    }
    for (std::size_t at = 0; at < lines.size();) {
        const ssize_t written = ::write(report, lines.data() + at, lines.size() - at);
        if (written <= 0)
            break;
        at += std::size_t(written);
    }
    _exit(0);
}

} // namespace race

TEST(CrashTrial, TwoEditorsSavingTheSameTitlesLoseNoUpdate)
{
    const int saves = settingFromEnvironment("QUILMO_RACE_UPDATES", 1000);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = catalogueFilePath(folder.path());
    ASSERT_TRUE(createCatalogueIfMissing(path));
    {
        CatalogueDb db(path);
        store::insertCategory(db, QStringLiteral("分類"));
        TitleRecord title;
        title.description = QStringLiteral("始");
        title.category = QStringLiteral("分類");
        for (int index = 0; index < race::kTitles; ++index) {
            title.name = race::titleName(index);
            store::insertTitle(db, title);
        }
    }

    int go[2];
    ASSERT_EQ(pipe2(go, O_CLOEXEC), 0);
    int reports[2][2];
    pid_t editors[2];
    for (int editor = 0; editor < 2; ++editor) {
        ASSERT_EQ(pipe2(reports[editor], O_CLOEXEC), 0);
        editors[editor] = fork();
        ASSERT_GE(editors[editor], 0);
        if (editors[editor] == 0) {
            ::close(go[1]);
            ::close(reports[editor][0]);
            race::runEditor(path, editor, saves / 2 + (editor == 0 ? saves % 2 : 0), go[0],
                            reports[editor][1]);
        }
        ::close(reports[editor][1]);
    }
    ::close(go[0]);
    // Closing the pipe lets both editors start at once.
    ::close(go[1]);

    std::map<std::string, int> saved; // mark -> title
    long operations = 0;
    long conflicts = 0;
    long failures = 0;
    for (int editor = 0; editor < 2; ++editor) {
        const std::vector<std::string> lines = linesOf(readAll(reports[editor][0]));
        ::close(reports[editor][0]);
        int status = 0;
        ASSERT_EQ(waitpid(editors[editor], &status, 0), editors[editor]);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (const std::string& line : lines) {
            ++operations;
            if (line[0] == 'C')
                ++conflicts;
            else if (line[0] == 'D')
                saved[line.substr(line.rfind(' ') + 1)] = std::stoi(line.substr(2));
            else
                ++failures;
        }
    }

    std::map<std::string, int> inFile;
    {
        SqliteDatabase db(path);
        for (int index = 0; index < race::kTitles; ++index) {
            auto query =
                db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                               .arg(store::schema::kDescription, store::schema::kTitleTable,
                                    store::schema::kTitleName));
            query.bind(1, race::titleName(index));
            ASSERT_TRUE(query.step());
            for (const QString& mark : query.text(0).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                if (mark != QStringLiteral("始"))
                    inFile[mark.toStdString()] = index;
        }
    }
    long lost = 0;
    for (const auto& [mark, index] : saved) {
        const auto found = inFile.find(mark);
        if (found == inFile.end() || found->second != index)
            ++lost;
    }
    std::cout << "race of two editors on " << race::kTitles << " titles: operations " << operations
              << ", saved " << saved.size() << ", conflicts detected " << conflicts
              << ", failed on a lock held too long " << failures << ", lost updates " << lost
              << '\n';
    EXPECT_EQ(operations, saves);
    EXPECT_EQ(lost, 0);
    // A save that failed (the other editor held the file longer than a save
    // waits) was reported as failed, and like every other save that did not
    // go through, it left nothing: every mark in the file comes from a save
    // its editor saw go through.
    EXPECT_EQ(inFile.size(), saved.size());
    // Without conflicts the editors never met, and the run showed nothing.
    EXPECT_GT(conflicts, 0);
}
