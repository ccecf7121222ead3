#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "maint/drive_conversion.h"
#include "maint/form2.h"
#include "support/form_fixture.h"

using conversion::convertLinkTargets;
using conversion::convertPrefix;

namespace {

const QString kConverted = QStringLiteral("正常にコンバージョンしました。");
const QString kNotFound = QStringLiteral("レコードが見つかりません。");

TEST(ConvertPrefix, ReplacesTheWholeMatchedPrefixCaseBlind)
{
    struct Case {
        const char* value;
        const char* oldPrefix;
        const char* newPrefix;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Docs\\a.xls", "C", "D", "D:\\Docs\\a.xls"},
        {"C:\\Docs\\a.xls", "C:", "D:", "D:\\Docs\\a.xls"},
        {"c:\\pics\\a.bmp", "C", "D", "D:\\pics\\a.bmp"},
        {"C:\\Docs\\a.xls", "c:\\docs", "E:\\Archive", "E:\\Archive\\a.xls"},
        {"/media/old/x.jpg", "/media/old", "/media/new", "/media/new/x.jpg"},
        {"/MEDIA/Old/x.jpg", "/media/old", "/mnt", "/mnt/x.jpg"},
        {" ", " ", "D", "D"},
        {"Ｃ：\\x", "ｃ", "D", "D：\\x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const auto result =
            convertPrefix(QString::fromUtf8(c.value), QString::fromUtf8(c.oldPrefix),
                          QString::fromUtf8(c.newPrefix));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, QString::fromUtf8(c.expected));
    }
}

TEST(ConvertPrefix, LeavesValuesThatDoNotBeginWithThePrefix)
{
    EXPECT_FALSE(convertPrefix("E:\\x.bmp", "C", "D"));
    EXPECT_FALSE(convertPrefix(" ", "C", "D"));
    EXPECT_FALSE(convertPrefix("", "C", "D"));
    EXPECT_FALSE(convertPrefix("/media/older", "/media/old/", "/x/"));
    // The prefix is literal: pattern characters of either SQL or Jet match
    // only themselves.
    EXPECT_FALSE(convertPrefix("C:\\x", "*", "D"));
    EXPECT_FALSE(convertPrefix("C:\\x", "%", "D"));
    EXPECT_FALSE(convertPrefix("Ca\\x", "C_", "D"));
    EXPECT_FALSE(convertPrefix("C:\\x", "[C]", "D"));
    EXPECT_EQ(convertPrefix("*\\x", "*", "D"), QString("D\\x"));
    EXPECT_EQ(convertPrefix("O'Neil\\x", "O'", "Q"), QString("QNeil\\x"));
}

TEST(ConvertLinkTargets, ConvertsEveryLineThatBeginsWithThePrefix)
{
    EXPECT_EQ(convertLinkTargets("http://x/\r\n/media/old/y\r\n", "/media/old", "/srv"),
              QString("http://x/\r\n/srv/y\r\n"));
    EXPECT_EQ(convertLinkTargets(" \r\n", " ", "Z"), QString("Z\r\n"));
    EXPECT_FALSE(convertLinkTargets("", "C", "D"));
}

// The dialog's four rows against a catalogue file.
class DriveConversionTest : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
        dialog = new Form2(*form);
    }

    void addTitle(const QString& name, const QString& thumbnail, const QString& links = " ",
                  const QString& folder = " ", const QString& options = " ")
    {
        sql("INSERT INTO タイトル (タイトル名, 説明, サムネイルパス, ファイルパス, カテゴリ名, "
            "作業フォルダ, 起動オプション) VALUES (?, ' ', ?, ?, '本', ?, ?)",
            {name, thumbnail, links, folder, options});
    }
    QString column(const QString& name, const QString& title)
    {
        return rows(QStringLiteral("SELECT %1 FROM タイトル WHERE タイトル名 = ?").arg(name),
                    {title})
            .value(0);
    }
    QStringList everything() { return rows("SELECT * FROM タイトル ORDER BY タイトル名"); }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& box : fakes.dialogs.shown) {
            EXPECT_FALSE(box.question);
            texts << box.text;
        }
        return texts;
    }

    Form2* dialog = nullptr;
};

TEST_F(DriveConversionTest, SingleLetterMovesTheDriveOfMatchingThumbnailsOnly)
{
    addTitle("a", "C:\\Docs\\a.xls");
    addTitle("b", "c:\\pics\\a.bmp");
    addTitle("c", "E:\\x.bmp", "C:\\run.exe\r\n", "C:\\", "C:\\opt");
    addTitle("d", " ");
    dialog->Text3->setText("C");
    dialog->Text5->setText("D");
    dialog->Command3->click();

    EXPECT_EQ(messages(), QStringList{kConverted});
    EXPECT_EQ(column("サムネイルパス", "a"), "D:\\Docs\\a.xls");
    EXPECT_EQ(column("サムネイルパス", "b"), "D:\\pics\\a.bmp");
    EXPECT_EQ(column("サムネイルパス", "c"), "E:\\x.bmp");
    EXPECT_EQ(column("サムネイルパス", "d"), " ");
    // The other path columns are another row's business.
    EXPECT_EQ(rows("SELECT ファイルパス, 作業フォルダ, 起動オプション FROM タイトル WHERE "
                   "タイトル名 = 'c'"),
              QStringList{"C:\\run.exe\r\n|C:\\|C:\\opt"});
    // The fields are left as typed, ready for another press.
    EXPECT_EQ(dialog->Text3->text(), "C");
}

TEST_F(DriveConversionTest, LongerPrefixesReplaceThemselvesWhole)
{
    addTitle("a", " ", " ", "/media/old/tools", "C:\\Docs\\a.xls");
    addTitle("b", " ", " ", "/media/older", "c:\\x");
    dialog->Text10->setText("/media/old/");
    dialog->Text11->setText("/media/new/");
    dialog->Command6->click();
    dialog->Text8->setText("C:");
    dialog->Text9->setText("D:");
    dialog->Command5->click();

    EXPECT_EQ(messages(), (QStringList{kConverted, kConverted}));
    EXPECT_EQ(column("作業フォルダ", "a"), "/media/new/tools");
    EXPECT_EQ(column("作業フォルダ", "b"), "/media/older");
    EXPECT_EQ(column("起動オプション", "a"), "D:\\Docs\\a.xls");
    EXPECT_EQ(column("起動オプション", "b"), "D:\\x");
}

TEST_F(DriveConversionTest, NothingToConvertSaysSoAndChangesNothing)
{
    addTitle("a", "E:\\a.bmp", "F:\\x.doc\r\n");
    const QStringList before = everything();
    dialog->Text3->setText("C");
    dialog->Text5->setText("D");
    dialog->Command3->click();
    // A quote is just a character of the prefix.
    dialog->Text6->setText("C'");
    dialog->Text7->setText("D");
    dialog->Command4->click();
    EXPECT_EQ(messages(), (QStringList{kNotFound, kNotFound}));
    EXPECT_EQ(everything(), before);
}

TEST_F(DriveConversionTest, EveryLinkTargetOfATitleMoves)
{
    addTitle("a", " ", "C:\\a.doc\r\nC:\\b.doc\r\n");
    addTitle("b", " ", "E:\\c.doc\r\nc:\\d.doc\r\n");
    addTitle("c", " ", "E:\\e.doc\r\n");
    dialog->Text6->setText("C");
    dialog->Text7->setText("D");
    dialog->Command4->click();
    EXPECT_EQ(messages(), QStringList{kConverted});
    EXPECT_EQ(column("ファイルパス", "a"), "D:\\a.doc\r\nD:\\b.doc\r\n");
    EXPECT_EQ(column("ファイルパス", "b"), "E:\\c.doc\r\nD:\\d.doc\r\n");
    EXPECT_EQ(column("ファイルパス", "c"), "E:\\e.doc\r\n");
}

TEST_F(DriveConversionTest, EmptyFieldsAreAskedForLeftFirst)
{
    addTitle("a", "C:\\a.bmp");
    const QStringList before = everything();
    dialog->Command3->click();
    dialog->Text3->setText("C");
    dialog->Command3->click();
    dialog->Text5->setText("D");
    dialog->Text3->clear();
    dialog->Command3->click();
    EXPECT_EQ(messages(), (QStringList{"旧ドライブ（左欄）を入力してください。",
                                       "新ドライブ（右欄）を入力してください。",
                                       "旧ドライブ（左欄）を入力してください。"}));
    EXPECT_EQ(everything(), before);
}

TEST_F(DriveConversionTest, FailingDatabaseLeavesEveryRowAsItWas)
{
    addTitle("a", "C:\\a.bmp");
    addTitle("b", "C:\\b.bmp");
    addTitle("c", "C:\\c.bmp");
    // The second row cannot be updated; the first has been by then.
    sql("CREATE TRIGGER refuse BEFORE UPDATE ON タイトル WHEN OLD.タイトル名 = 'b' "
        "BEGIN SELECT RAISE(ABORT, 'locked'); END");
    const QStringList before = everything();
    dialog->Text3->setText("C");
    dialog->Text5->setText("D");
    dialog->Command3->click();
    EXPECT_EQ(everything(), before);

    // Without the catalogue file: reported, and no empty file made.
    ASSERT_TRUE(QFile::remove(dbPath()));
    dialog->Command3->click();
    EXPECT_EQ(messages(), QStringList(2, "「ドライブ・コンバージョン」でエラーが発生しました。"));
    EXPECT_FALSE(QFile::exists(dbPath()));
}

} // namespace
