#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/jet_frames.h"
#include "platform/jet_reader.h"

namespace
{

QString jetFixture(const char* name)
{
    return QStringLiteral(QUILMO_FIXTURES_DIR "/jet/") + QLatin1String(name);
}

std::vector<JetRow> readAll(JetTable& table)
{
    std::vector<JetRow> rows;
    JetRow row;
    while (table.nextRow(row))
        rows.push_back(row);
    return rows;
}

// A row as mdb-export prints it without quotes: absent cells empty.
QStringList printed(const JetRow& row)
{
    QStringList cells;
    for (const auto& cell : row)
        cells << cell.value_or(QString());
    return cells;
}

const QStringList kTable1Columns{"A", "B", "C", "D", "E", "F", "G", "H", "I"};
// Checked against `mdb-export` of Debian's mdbtools 1.0.0 on both files.
const QStringList kFirstRow{"abcdefg", "hijklmnop",         "2",      "222", "333333333",
                            "444.555", "09/21/74 00:00:00", "3.5000", "1"};
const QStringList kSecondRow{"a", "b", "0", "0", "0", "0", "12/12/81 00:00:00", "0.0000", "0"};

} // namespace

TEST(JetDetection, FirstPageTellsTheVersion)
{
    EXPECT_EQ(detectJetVersion(jetFixture("jet4-sample.mdb")), JetVersion::Jet4);
    EXPECT_EQ(detectJetVersion(jetFixture("jet4-empty.mdb")), JetVersion::Jet4);
    EXPECT_EQ(detectJetVersion(jetFixture("jet3-sample.mdb")), JetVersion::Jet3);
}

TEST(JetDetection, OtherFilesAreNotJet)
{
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    QFile jet(jetFixture("jet4-sample.mdb"));
    ASSERT_TRUE(jet.open(QIODevice::ReadOnly));
    QByteArray head = jet.read(4096);

    QByteArray ace = head;
    ace.replace(4, 15, "Standard ACE DB");
    QByteArray laterFormat = head;
    laterFormat[0x14] = 2;
    QByteArray sqlite("SQLite format 3");
    sqlite.append(char(0)).append(QByteArray(4096, 'x'));

    EXPECT_EQ(detectJetVersion(write("ace.mdb", ace)), JetVersion::NotJet);
    EXPECT_EQ(detectJetVersion(write("later.mdb", laterFormat)), JetVersion::NotJet);
    EXPECT_EQ(detectJetVersion(write("sqlite.mdb", sqlite)), JetVersion::NotJet);
    // One byte short of the format byte.
    EXPECT_EQ(detectJetVersion(write("short.mdb", head.left(0x14))), JetVersion::NotJet);
    EXPECT_EQ(detectJetVersion(write("shortok.mdb", head.left(0x15))), JetVersion::Jet4);
    EXPECT_EQ(detectJetVersion(write("empty.mdb", {})), JetVersion::NotJet);
    EXPECT_EQ(detectJetVersion(dir.filePath("missing.mdb")), JetVersion::NotJet);
    EXPECT_EQ(detectJetVersion(dir.path()), JetVersion::NotJet);
    // Not read at all, and never waited on.
    const QString fifo = dir.filePath("fifo.mdb");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(detectJetVersion(fifo), JetVersion::NotJet);
}

TEST(JetReader, Jet4TablesColumnsAndEveryValue)
{
    auto db = openJetDatabase(jetFixture("jet4-sample.mdb"));
    EXPECT_EQ(db->tableNames(), (QStringList{"Table1", "Table2", "Table3", "Table4"}));

    auto table1 = db->openTable("Table1");
    EXPECT_EQ(table1->columnNames(), kTable1Columns);
    const auto rows = readAll(*table1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(printed(rows[0]), kFirstRow);
    EXPECT_EQ(printed(rows[1]), kSecondRow);
    // Nothing in Table1 is absent: a false boolean and zeros are values.
    for (const auto& row : rows)
        for (const auto& cell : row)
            EXPECT_TRUE(cell.has_value());
    JetRow after;
    EXPECT_FALSE(table1->nextRow(after));
}

TEST(JetReader, Jet3HoldsTheSameRowsInItsOwnOrder)
{
    auto db = openJetDatabase(jetFixture("jet3-sample.mdb"));
    EXPECT_EQ(db->tableNames(), (QStringList{"Table1", "Table2", "Table3", "Table4"}));
    auto table1 = db->openTable("Table1");
    EXPECT_EQ(table1->columnNames(), kTable1Columns);
    const auto rows = readAll(*table1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(printed(rows[0]), kSecondRow);
    EXPECT_EQ(printed(rows[1]), kFirstRow);
}

TEST(JetReader, EmptyTablesAndTheirColumns)
{
    for (const char* file : {"jet4-sample.mdb", "jet3-sample.mdb"}) {
        SCOPED_TRACE(file);
        auto db = openJetDatabase(jetFixture(file));
        auto table2 = db->openTable("Table2");
        const QStringList columns = table2->columnNames();
        ASSERT_EQ(columns.size(), 89);
        EXPECT_EQ(columns.first(), "column1");
        EXPECT_EQ(columns.last(), "column89");
        EXPECT_TRUE(readAll(*table2).empty());
        EXPECT_EQ(db->openTable("Table3")->columnNames(), (QStringList{"a", "b"}));
        EXPECT_EQ(db->openTable("Table4")->columnNames(), (QStringList{"name", "data"}));
        EXPECT_TRUE(readAll(*db->openTable("Table4")).empty());
        // Letter case of a table name does not matter to the engine.
        EXPECT_EQ(db->openTable("table3")->columnNames(), (QStringList{"a", "b"}));
    }
}

TEST(JetReader, MissingTableIsReported)
{
    auto db = openJetDatabase(jetFixture("jet4-sample.mdb"));
    EXPECT_THROW(db->openTable("Table5"), JetError);
    EXPECT_THROW(db->openTable(QStringLiteral("タイトル")), JetError);
    EXPECT_THROW(db->openTable("MSysObjects"), JetError);
}

TEST(JetReader, EmptyJet4FileHasNoTables)
{
    auto db = openJetDatabase(jetFixture("jet4-empty.mdb"));
    EXPECT_TRUE(db->tableNames().isEmpty());
    EXPECT_THROW(db->openTable("Table1"), JetError);
}

TEST(JetReader, NonJetFilesAreRefused)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("QUILMO.mdb");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'a'));
    file.close();
    EXPECT_THROW(openJetDatabase(text), JetError);
    EXPECT_THROW(openJetDatabase(dir.filePath("missing.mdb")), JetError);
}

TEST(JetReader, ACrashOfTheLibraryIsAFailureWithItsCause)
{
    // A table without a name, whose rows the library reads past its pages.
    auto db =
        openJetDatabase(QStringLiteral(QUILMO_FIXTURES_DIR "/jet-hostile/data-page-map-segv.mdb"));
    EXPECT_EQ(db->tableNames(), (QStringList{"", "Table1", "Table2", "Table3", "Table4"}));
    try {
        auto table = db->openTable(QString());
        JetRow row;
        while (table->nextRow(row)) {
        }
        ADD_FAILURE() << "no failure";
    } catch (const JetError& error) {
        EXPECT_STREQ(error.what(),
                     "ファイルの壊れた箇所で読み取りのプロセスが異常終了しました（シグナル 11）");
    }
    // The same failure for whatever is asked next.
    EXPECT_THROW(db->openTable("Table1"), JetError);
}

TEST(JetReader, FixtureStaysByteForByte)
{
    QFile before(jetFixture("jet4-sample.mdb"));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    {
        auto db = openJetDatabase(jetFixture("jet4-sample.mdb"));
        readAll(*db->openTable("Table1"));
    }
    QFile after(jetFixture("jet4-sample.mdb"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

namespace
{

// The header of a Jet 3 file from offset 0x18 is scrambled with RC4 under a
// fixed key; the code page lies in it.
void rc4(QByteArray& bytes, qsizetype from, qsizetype length)
{
    const unsigned char key[] = {0xc7, 0xda, 0x39, 0x6b};
    unsigned char state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % 4]) & 0xff;
        std::swap(state[i], state[j]);
    }
    for (qsizetype n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + state[i]) & 0xff;
        std::swap(state[i], state[j]);
        bytes[from + n] = char(bytes[from + n] ^ state[(state[i] + state[j]) & 0xff]);
    }
}

} // namespace

TEST(JetReader, Jet3JapaneseTextIsReadInTheWindowsCodePage)
{
    QFile sample(jetFixture("jet3-sample.mdb"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray bytes = sample.readAll();
    // The sample's header says code page 1252; make it say 932.
    rc4(bytes, 0x18, 126);
    ASSERT_EQ(quint8(bytes[0x3c]) | quint8(bytes[0x3d]) << 8, 1252);
    bytes[0x3c] = char(932 & 0xff);
    bytes[0x3d] = char(932 >> 8);
    rc4(bytes, 0x18, 126);
    // "abcdefg" of Table1 becomes あ, the full-width tilde, ① and g in the
    // Windows code page: seven bytes as before.
    const qsizetype at = bytes.indexOf("abcdefg");
    ASSERT_GE(at, 0);
    ASSERT_EQ(bytes.indexOf("abcdefg", at + 1), -1);
    bytes.replace(at, 7, QByteArray("\x82\xa0\x81\x60\x87\x40g", 7));

    QTemporaryDir dir;
    const QString path = dir.filePath("QUILMO.mdb");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    auto db = openJetDatabase(path);
    const auto rows = readAll(*db->openTable("Table1"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0].value_or(QString()), QStringLiteral("あ～①g"));
    EXPECT_EQ(rows[1][1].value_or(QString()), "hijklmnop");
}

namespace
{

QByteArray u32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xff);
    return bytes;
}
QByteArray text(const QByteArray& value)
{
    return u32(quint32(value.size())) + value;
}
QByteArray frame(char type, const QByteArray& payload)
{
    return QByteArray(1, type) + u32(quint32(payload.size())) + payload;
}

} // namespace

TEST(JetFrames, EveryFaultOfTheReadingProcessOutputIsCaught)
{
    const QByteArray names = frame('N', u32(1) + text("T"));
    const QByteArray columns = frame('C', u32(2) + text("a") + text("b"));
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* error; // nullptr: read to its end without a fault
    };
    const Case cases[] = {
        {"a sound exchange",
         names + columns + frame('R', u32(2) + text("x") + u32(0xffffffff)) + frame('E', u32(1)) +
             frame('M', {}),
         nullptr},
        {"rows first", frame('R', u32(0)), "the output does not begin with the table list"},
        {"unknown type", frame('Z', {}), "a frame of an unknown type"},
        {"too long", QByteArray("N") + u32(16u << 20 | 1),
         "a frame is longer than any the format allows"},
        {"count past its frame", frame('N', u32(3) + "abcd"),
         "a count is larger than its frame or its bound"},
        {"text longer than its frame", frame('N', u32(1) + u32(100) + "abcdefgh"),
         "a text is longer than its frame"},
        {"not UTF-8", frame('N', u32(1) + text("\xff\xfe")), "a text is not UTF-8"},
        {"bytes after the fields", frame('N', u32(0) + "x"),
         "a frame has bytes after its last field"},
        {"number cut", frame('E', "ab"), "a frame ends inside a number"},
        {"too many columns", frame('N', u32(0)) + frame('C', u32(1025) + QByteArray(4100, 'x')),
         "a count is larger than its frame or its bound"},
        {"unasked table", names + columns, "a frame nothing was asked for"},
        {"row too narrow", names + columns + frame('R', u32(1) + text("x")),
         "a row has another number of cells than the table has columns"},
        {"row count wrong", names + columns + frame('E', u32(1)),
         "a table ends with another number of rows than were sent"},
        {"after the failure", names + frame('F', text("broken")) + names,
         "a frame after the failure"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JetFrameReader reader;
        reader.append(c.bytes);
        std::string error;
        // A table is asked for after the list and after each table's end,
        // but for the case of frames sent unasked.
        const bool ask = std::string(c.what) != "unasked table";
        try {
            while (auto got = reader.next()) {
                if (ask && (got->type == 'N' || got->type == 'E'))
                    reader.tableAsked();
            }
        } catch (const JetFrameError& fault) {
            error = fault.what();
        }
        EXPECT_EQ(error, c.error ? c.error : "");
    }
}
