#include <limits>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "store/sqlite_database.h"

namespace
{

class DatabaseBytesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QTemporaryDir folder;
    SqliteDatabase db{folder.filePath("bytes.db"), SqliteDatabase::OpenMode::CreateIfMissing};
};

TEST_F(DatabaseBytesTest, BytesGoInAndComeBackAsStoredEvenWhenNotUtf8)
{
    db.exec("CREATE TABLE t (v TEXT)");
    const QByteArray odd("C:\\\xFF\x80\xE3\x81\0z", 9);
    db.prepare("INSERT INTO t (rowid, v) VALUES (?, ?)").bindInteger(1, 7).bindBytes(2, odd).step();
    db.exec("INSERT INTO t (rowid, v) VALUES (9223372036854775807, NULL)");
    db.exec("INSERT INTO t (rowid, v) VALUES (-9223372036854775807 - 1, '')");

    auto query = db.prepare("SELECT rowid, v, hex(v), typeof(v) FROM t ORDER BY rowid");
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.integer(0), std::numeric_limits<qint64>::min());
    EXPECT_EQ(query.columnBytes(1), QByteArray(""));
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.integer(0), 7);
    EXPECT_EQ(query.columnBytes(1), odd);
    EXPECT_EQ(query.text(2), "433A5CFF80E38100"
                             "7A");
    // Bound as text, not as a blob: LIKE, hex() and other tools see text.
    EXPECT_EQ(query.text(3), "text");
    // Through QString the same value would have changed.
    EXPECT_NE(query.text(1).toUtf8(), odd);
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.integer(0), std::numeric_limits<qint64>::max());
    EXPECT_TRUE(query.columnBytes(1).isEmpty());
    EXPECT_FALSE(query.step());
}

TEST_F(DatabaseBytesTest, BindingPastTheParametersFails)
{
    auto query = db.prepare("SELECT ?");
    EXPECT_THROW(query.bindBytes(2, "x"), DbError);
    EXPECT_THROW(query.bindInteger(0, 1), DbError);
    query.bindBytes(1, "x");
}

} // namespace
