// Jet files read through the reading process, as the program reads them:
// whatever the file does to the library in there (a crash, a loop, memory
// without end, output that makes no sense), the program gets its rows or a
// JetError, never anything else. Seeds: the public samples and the damaged
// files of ../shared/fixtures.

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "platform/jet_reader.h"

namespace
{

QTemporaryDir* folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    folder = new QTemporaryDir;
    setJetReaderProgram(QStringLiteral(QUILMO_JET_READER));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = folder->filePath(QStringLiteral("QUILMO.mdb"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // Tighter limits than the program's, for many runs a minute.
    JetReadOptions options;
    options.timeLimitMs = 3000;
    options.memoryLimit = qint64(256) << 20;
    try {
        const auto db = openJetDatabase(path, options);
        for (const QString& name : db->tableNames()) {
            const auto table = db->openTable(name);
            const qsizetype columns = table->columnNames().size();
            JetRow row;
            while (table->nextRow(row)) {
                if (qsizetype(row.size()) != columns)
                    std::abort();
            }
        }
    } catch (const JetError&) {
    }
    return 0;
}
