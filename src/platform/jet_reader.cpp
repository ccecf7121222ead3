#include "platform/jet_reader.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "platform/jet_frames.h"

namespace
{

constexpr qint64 kFormatByteOffset = 0x14;
constexpr char kJetMagic[] = "Standard Jet DB";
// How often a silent reading process is looked at for the progress and the
// cancel.
constexpr int kPollMs = 100;

QString& programOverride()
{
    static QString path;
    return path;
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// The reading process and the frames it sent. Every wait runs the event
// loop, so the window stays live; every fault of the process ends it and
// becomes a JetError that says why.
class Reader
{
public:
    Reader(const QString& path, const JetReadOptions& options)
        : m_options(options), m_deadline(options.timeLimitMs)
    {
        m_sinceProgress.start();
        const qint64 memory = options.memoryLimit;
        const rlim_t cpuSeconds = rlim_t(options.timeLimitMs / 1000 + 2);
        m_process.setChildProcessModifier([memory, cpuSeconds] {
            // Only calls that are safe between fork and exec.
            const rlimit as{rlim_t(memory), rlim_t(memory)};
            setrlimit(RLIMIT_AS, &as);
            const rlimit cpu{cpuSeconds, cpuSeconds};
            setrlimit(RLIMIT_CPU, &cpu);
            const rlimit core{0, 0};
            setrlimit(RLIMIT_CORE, &core);
            // Ends with the program, whatever ends the program.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
        m_process.setStandardErrorFile(QProcess::nullDevice());
        const QString program = options.program.isEmpty() ? jetReaderProgram() : options.program;
        m_process.start(program, QStringList(options.arguments) << path);
        if (!m_process.waitForStarted())
            throw JetError(utf8(QStringLiteral("読み取りのプログラム %1 を起動できませんでした")
                                    .arg(QDir::toNativeSeparators(program))));
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { m_frames.append(m_process.readAllStandardOutput()); });
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() { stop(); }

    JetFrame next()
    {
        // Once failed, always the same failure.
        if (!m_failure.isEmpty())
            throw JetError(utf8(m_failure));
        try {
            return nextFrame();
        } catch (const JetCancelled&) {
            throw;
        } catch (const JetError& error) {
            m_failure = QString::fromStdString(error.what());
            throw;
        }
    }

    JetFrame nextFrame()
    {
        for (;;) {
            if (m_options.cancelled && m_options.cancelled()) {
                stop();
                throw JetCancelled();
            }
            if (m_deadline.hasExpired()) {
                stop();
                throw JetError(utf8(QStringLiteral("制限時間の %1 秒を過ぎても読み終わりません"
                                                   "でした")
                                        .arg(m_options.timeLimitMs / 1000)));
            }
            std::optional<JetFrame> frame;
            try {
                frame = m_frames.next();
            } catch (const JetFrameError& error) {
                stop();
                throw JetError(utf8(QStringLiteral("読み取りのプロセスの出力が壊れています（%1）")
                                        .arg(QString::fromUtf8(error.what()))));
            }
            if (frame) {
                if (frame->type == 'C')
                    m_inTable = true;
                else if (frame->type == 'E')
                    m_inTable = false;
                if (frame->type == 'F') {
                    stop();
                    throw JetError(utf8(frame->texts.at(0).value_or(QString())));
                }
                return std::move(*frame);
            }
            if (m_process.state() == QProcess::NotRunning) {
                const QByteArray rest = m_process.readAllStandardOutput();
                if (!rest.isEmpty()) {
                    m_frames.append(rest);
                    continue;
                }
                throw JetError(utf8(endedCause()));
            }
            wait();
        }
    }

    void ask(const QString& table)
    {
        try {
            m_frames.tableAsked();
        } catch (const JetFrameError& error) {
            stop();
            throw JetError(error.what());
        }
        m_process.write(table.toUtf8() + '\n');
        ++m_asked;
    }

    // How many tables were asked for: a table's number among them.
    int asked() const { return m_asked; }

    // Reads what is left of the table being served, for the next to follow.
    void skipTable()
    {
        while (m_inTable)
            next();
    }

    void rowRead()
    {
        ++m_rows;
        if (m_options.progress && m_sinceProgress.hasExpired(kPollMs)) {
            m_options.progress(m_rows);
            m_sinceProgress.restart();
        }
    }

private:
    void wait()
    {
        QEventLoop loop;
        QTimer poll;
        poll.setSingleShot(true);
        QObject::connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
        poll.start(int(std::min<qint64>(kPollMs, std::max<qint64>(0, m_deadline.remainingTime()))));
        const auto arrived = QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop,
                                              &QEventLoop::quit);
        const auto ended =
            QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (m_process.state() != QProcess::NotRunning)
            loop.exec();
        QObject::disconnect(arrived);
        QObject::disconnect(ended);
        if (m_options.progress && m_sinceProgress.hasExpired(kPollMs)) {
            m_options.progress(m_rows);
            m_sinceProgress.restart();
        }
    }

    QString endedCause() const
    {
        if (m_process.error() == QProcess::FailedToStart)
            return QStringLiteral("読み取りのプロセスを起動できませんでした");
        if (m_process.exitStatus() == QProcess::NormalExit)
            return QStringLiteral("読み取りのプロセスが途中で終わりました（終了コード %1）")
                .arg(m_process.exitCode());
        const int signal = m_process.exitCode();
        QString cause;
        switch (signal) {
        case SIGSEGV:
        case SIGBUS:
            cause = QStringLiteral("ファイルの壊れた箇所で読み取りのプロセスが異常終了しました");
            break;
        case SIGABRT:
            cause = QStringLiteral("読み取りのプロセスが、メモリの上限（%1 MiB）に達したか"
                                   "壊れた箇所で中断しました")
                        .arg(m_options.memoryLimit >> 20);
            break;
        case SIGXCPU:
            cause = QStringLiteral("読み取りのプロセスが制限時間を過ぎました");
            break;
        case SIGKILL:
            cause = QStringLiteral("読み取りのプロセスが外から強制終了されました");
            break;
        default:
            cause = QStringLiteral("読み取りのプロセスが異常終了しました");
        }
        return cause + QStringLiteral("（シグナル %1）").arg(signal);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.disconnect();
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    JetReadOptions m_options;
    QDeadlineTimer m_deadline;
    QElapsedTimer m_sinceProgress;
    QProcess m_process;
    JetFrameReader m_frames;
    qint64 m_rows = 0;
    bool m_inTable = false;
    int m_asked = 0;
    QString m_failure;
};

class ChildTable final : public JetTable
{
public:
    ChildTable(std::shared_ptr<Reader> reader, QStringList columns)
        : m_reader(std::move(reader)), m_columns(std::move(columns)), m_number(m_reader->asked())
    {
    }

    QStringList columnNames() const override { return m_columns; }

    bool nextRow(JetRow& row) override
    {
        if (m_done || m_number != m_reader->asked())
            return false;
        JetFrame frame = m_reader->next();
        if (frame.type == 'E') {
            m_done = true;
            return false;
        }
        row = std::move(frame.texts);
        // The reader cannot tell a NULL from a zero-length text.
        for (auto& cell : row) {
            if (cell && cell->isEmpty())
                cell.reset();
        }
        m_reader->rowRead();
        return true;
    }

private:
    std::shared_ptr<Reader> m_reader;
    QStringList m_columns;
    int m_number;
    bool m_done = false;
};

class ChildDatabase final : public JetDatabase
{
public:
    ChildDatabase(const QString& path, const JetReadOptions& options)
        : m_reader(std::make_shared<Reader>(path, options))
    {
        const JetFrame names = m_reader->next();
        for (const auto& name : names.texts)
            m_names << name.value_or(QString());
    }

    QStringList tableNames() const override { return m_names; }

    std::unique_ptr<JetTable> openTable(const QString& name) override
    {
        // The process serves one table at a time: the rest of one left
        // unread comes before the next. A table opened earlier ends there.
        m_reader->skipTable();
        if (name.contains(u'\n'))
            throw JetError("no table " + name.toStdString());
        m_reader->ask(name);
        JetFrame frame = m_reader->next();
        if (frame.type == 'M')
            throw JetError("no table " + name.toStdString());
        QStringList columns;
        for (const auto& column : frame.texts)
            columns << column.value_or(QString());
        return std::make_unique<ChildTable>(m_reader, columns);
    }

private:
    std::shared_ptr<Reader> m_reader;
    QStringList m_names;
};

} // namespace

JetVersion detectJetVersion(const QString& path)
{
    // Only the first bytes of a regular file: a FIFO or a device in the
    // file's place must not block the start, nor be read from.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return JetVersion::NotJet;
    struct stat status {
    };
    char head[kFormatByteOffset + 1];
    ssize_t got = 0;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (got < ssize_t(sizeof head)) {
            const ssize_t n = ::pread(fd, head + got, sizeof head - size_t(got), got);
            if (n <= 0)
                break;
            got += n;
        }
    }
    ::close(fd);
    if (got < ssize_t(sizeof head) || std::memcmp(head + 4, kJetMagic, sizeof kJetMagic) != 0)
        return JetVersion::NotJet;
    switch (head[kFormatByteOffset]) {
    case 0:
        return JetVersion::Jet3;
    case 1:
        return JetVersion::Jet4;
    default:
        return JetVersion::NotJet;
    }
}

std::unique_ptr<JetDatabase> openJetDatabase(const QString& path, const JetReadOptions& options)
{
    if (detectJetVersion(path) == JetVersion::NotJet)
        throw JetError("not a Jet database: " + path.toStdString());
    return std::make_unique<ChildDatabase>(path, options);
}

std::unique_ptr<JetDatabase> openJetDatabase(const QString& path)
{
    return openJetDatabase(path, JetReadOptions{});
}

QString jetReaderProgram()
{
    if (!programOverride().isEmpty())
        return programOverride();
    const QDir program(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral("quilmo-jet-reader");
    const QStringList candidates{
        program.filePath(name),
        QDir::cleanPath(program.filePath(QStringLiteral(QUILMO_LIBEXEC_FROM_BIN "/") + name)),
        QStringLiteral(QUILMO_LIBEXEC_INSTALLED "/") + name};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return candidates.last();
}

void setJetReaderProgram(const QString& path)
{
    programOverride() = path;
}
