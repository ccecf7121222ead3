#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "store/catalogue_db.h"
#include "store/export_import.h"

namespace
{

const QByteArray kNotUtf8("bad\xff\xfe name");

class ExportImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"from", "to-json", "to-csv", "again"}) {
            ASSERT_TRUE(
                QDir(m_dir.path()).mkpath(QStringLiteral("%1/memos").arg(QLatin1String(name))));
            ASSERT_TRUE(createCatalogueIfMissing(catalogue(QLatin1String(name))));
        }
        SqliteDatabase db(catalogue(QStringLiteral("from")));
        auto category = db.prepare(QStringLiteral("INSERT INTO カテゴリ VALUES (?)"));
        for (const QByteArray& name : {QByteArray("文書"), QByteArray("a,\"b\"\r\nc"), kNotUtf8}) {
            category.bindBytes(1, name).step();
            category.reset();
        }
        auto title =
            db.prepare(QStringLiteral("INSERT INTO タイトル VALUES (?, ?, ?, ?, ?, ?, ?)"));
        const QList<QList<QByteArray>> rows = {
            {"plain", " ", " ", "/x/y\r\n", "文書", " ", " "},
            {"say \"hi\", then\r\nleave", "line1\r\nline2\r\n\r\n", "c:\\a,b.png",
             "http://e/?a=1,b\r\n/p q\r\n", "a,\"b\"\r\nc", "  lead", "-x \"y z\""},
            {QByteArray(40000, 'L'), QByteArray(40000, 'd'), " ", " \r\n", "文書", " ", " "},
            {"全角ＡＢＣ", "=1+1", "001", "\t tab", "文書", "trail ", "\"\""},
            {kNotUtf8, " ", " ", " \r\n", kNotUtf8, " ", " "},
        };
        for (const QList<QByteArray>& row : rows) {
            for (int c = 0; c < 7; ++c)
                title.bindBytes(c + 1, row[c]);
            title.step();
            title.reset();
        }
        writeMemo(QStringLiteral("from"), QStringLiteral("plain"), "PNG-plain");
        writeMemo(QStringLiteral("from"), QStringLiteral("say \"hi\", then\r\nleave"),
                  "PNG-quoted");
    }

    QString folder(const QString& name) const { return m_dir.filePath(name); }
    QString catalogue(const QString& name) const { return catalogueFilePath(folder(name)); }
    QString memos(const QString& name) const { return folder(name) + QStringLiteral("/memos"); }

    void writeMemo(const QString& where, const QString& title, const QByteArray& content)
    {
        QFile file(memos(where) + QLatin1Char('/') + title + QStringLiteral(".ole"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Every stored category and title, byte for byte, and every memo file.
    QStringList rows(const QString& name)
    {
        SqliteDatabase db(catalogue(name));
        QStringList result;
        for (const QString& query :
             {QStringLiteral("SELECT hex(カテゴリ名) FROM カテゴリ ORDER BY 1"),
              QStringLiteral(
                  "SELECT hex(タイトル名) || ' ' || hex(説明) || ' ' || hex(サムネイルパス) "
                  "|| ' ' || hex(ファイルパス) || ' ' || hex(カテゴリ名) || ' ' || "
                  "hex(作業フォルダ) || ' ' || hex(起動オプション) FROM タイトル ORDER BY 1")}) {
            SqliteStatement statement = db.prepare(query);
            while (statement.step())
                result << statement.text(0);
        }
        const QDir memoDir(memos(name));
        for (const QString& file : memoDir.entryList(QDir::Files, QDir::Name)) {
            QFile memo(memoDir.filePath(file));
            EXPECT_TRUE(memo.open(QIODevice::ReadOnly));
            result << file + QLatin1Char('=') + QString::fromUtf8(memo.readAll());
        }
        return result;
    }

    store::transfer::ImportSummary import(const QString& into, const QString& file)
    {
        const store::transfer::ImportData data = store::transfer::readImportFile(file);
        EXPECT_EQ(data.error, QString());
        CatalogueDb db(catalogue(into));
        const store::transfer::ImportSummary plan = store::transfer::planImport(db, data);
        const store::transfer::ImportSummary done =
            store::transfer::runImport(db, data, memos(into));
        EXPECT_EQ(plan.titles, done.titles);
        EXPECT_EQ(plan.existing, done.existing);
        return done;
    }

    QTemporaryDir m_dir;
};

// Export, then import into an empty catalogue: JSON gives back every row and
// memo byte for byte; CSV every row but the one that is not UTF-8, which it
// names instead. Importing the same file again adds nothing and names what is
// already there.
TEST_F(ExportImportTest, RoundTripKeepsEveryAwkwardText)
{
    const QStringList original = rows(QStringLiteral("from"));
    const QString json = m_dir.filePath(QStringLiteral("out.json"));
    const QString csv = m_dir.filePath(QStringLiteral("out.csv"));
    {
        CatalogueDb db(catalogue(QStringLiteral("from")));
        const store::transfer::ExportReport toJson =
            store::transfer::exportJson(db, json, memos(QStringLiteral("from")));
        EXPECT_EQ(toJson.error, QString());
        EXPECT_EQ(toJson.titles, 5);
        EXPECT_EQ(toJson.memos, 2);
        const store::transfer::ExportReport toCsv = store::transfer::exportCsv(db, csv);
        EXPECT_EQ(toCsv.error, QString());
        EXPECT_EQ(toCsv.titles, 4);
        ASSERT_EQ(toCsv.unwritable.size(), 1);
        EXPECT_TRUE(toCsv.unwritable[0].contains(QStringLiteral("<62 61 64 ff fe")));
    }
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const QByteArray csvText = csvFile.readAll();
    EXPECT_TRUE(csvText.startsWith(
        "\xEF\xBB\xBF\xE3\x82\xAB\xE3\x83\x86\xE3\x82\xB4\xE3\x83\xAA\xE5\x90\x8D,"));
    EXPECT_TRUE(csvText.contains("\r\n\"a,\"\"b\"\"\r\nc\",\"say \"\"hi\"\", then\r\nleave\","));

    store::transfer::ImportSummary fromJson = import(QStringLiteral("to-json"), json);
    EXPECT_EQ(fromJson.categories, 3);
    EXPECT_EQ(fromJson.titles, 5);
    EXPECT_EQ(fromJson.memos, 2);
    EXPECT_EQ(rows(QStringLiteral("to-json")), original);

    store::transfer::ImportSummary fromCsv = import(QStringLiteral("to-csv"), csv);
    EXPECT_EQ(fromCsv.titles, 4);
    QStringList withoutBadRow = original;
    withoutBadRow.removeIf([](const QString& row) {
        return row.startsWith(QString::fromLatin1(kNotUtf8.toHex().toUpper())) ||
               row.startsWith(QStringLiteral("plain.ole")) || row.startsWith(QStringLiteral("say"));
    });
    EXPECT_EQ(rows(QStringLiteral("to-csv")), withoutBadRow);

    // Names already there, written with other widths and case, stay as they are.
    store::transfer::ImportSummary again = import(QStringLiteral("to-json"), json);
    EXPECT_EQ(again.categories + again.titles + again.memos, 0);
    EXPECT_EQ(again.existing.size(), 8);
    EXPECT_EQ(rows(QStringLiteral("to-json")), original);
    {
        SqliteDatabase db(catalogue(QStringLiteral("again")));
        db.exec(QStringLiteral(
            "INSERT INTO タイトル VALUES ('全角abc', 'mine', ' ', ' ', 'x', ' ', ' ')"));
    }
    store::transfer::ImportSummary clash = import(QStringLiteral("again"), json);
    EXPECT_EQ(clash.titles, 4);
    EXPECT_TRUE(clash.existing.contains(QStringLiteral("タイトル 全角ＡＢＣ")));
}

// Rows that cannot be read are named with where and why; the rest is added.
TEST_F(ExportImportTest, UnreadableRowsAreNamed)
{
    struct Row {
        QByteArray file;
        QStringList unreadable;
        int titles;
        QString error;
    };
    const QByteArray header =
        "\xEF\xBB\xBF" + QStringLiteral("カテゴリ名,タイトル名,説明\r\n").toUtf8();
    const Row rows[] = {
        {header + "c,t1,d\r\nc,t2\r\nc,t3,\xff\r\n,t4,d\r\nc,t5,\"x\ny\r\nz\"\r\n",
         {QStringLiteral("3 行目: 列の数が見出しと合いません"),
          QStringLiteral("4 行目: UTF-8 として読めない文字があります"),
          QStringLiteral("5 行目: タイトル名かカテゴリ名が空です")},
         2,
         {}},
        {header + "c,\"open", {}, 0, QStringLiteral("引用符が閉じていません")},
        {"a,b\r\n",
         {},
         0,
         QStringLiteral("見出しに「カテゴリ名」と「タイトル名」の列がありません")},
    };
    for (const Row& row : rows) {
        const QString file = m_dir.filePath(QStringLiteral("in.csv"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(row.file);
        out.close();
        const store::transfer::ImportData data = store::transfer::readImportFile(file);
        EXPECT_EQ(data.error, row.error);
        EXPECT_EQ(data.unreadable, row.unreadable);
        EXPECT_EQ(data.titles.size(), row.titles);
        // A spreadsheet's lone LF in a cell comes back as the catalogue's CR LF.
        if (row.titles == 2) {
            EXPECT_EQ(data.titles[1].columns[2], QByteArray("x\r\ny\r\nz"));
        }
    }
    const QString json = m_dir.filePath(QStringLiteral("in.json"));
    QFile out(json);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(R"({"format": "quilmo-catalogue", "categories": ["c", 5],
      "titles": [{"タイトル名": "ok", "カテゴリ名": "c"}, {"タイトル名": {"base64": "!!"}, "カテゴリ名": "c"}]})");
    out.close();
    const store::transfer::ImportData data = store::transfer::readImportFile(json);
    EXPECT_EQ(data.unreadable,
              QStringList({QStringLiteral("カテゴリ 2 番目: 名前が読めません"),
                           QStringLiteral("タイトル 2 番目: 「タイトル名」が読めません")}));
    ASSERT_EQ(data.titles.size(), 1);
    EXPECT_EQ(data.titles[0].columns[2], QByteArray(" "));
}

} // namespace
