#include <string>
#include <vector>

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

TEST(CheckPrefixes, RefusesEachSlipAndOnlyThose)
{
    using conversion::checkPrefixes;
    using conversion::PrefixSlip;
    struct Case {
        const char* oldPrefix;
        const char* newPrefix;
        PrefixSlip expected;
    };
    const Case cases[] = {
        // One letter goes to one letter only; the letters run A-Z, a-z and
        // their full-width forms, and nothing beside them counts.
        {"C", "D", PrefixSlip::None},
        {"A", "Z", PrefixSlip::None},
        {"z", "a", PrefixSlip::None},
        {"Ｚ", "ａ", PrefixSlip::None},
        {"ｚ", "Ａ", PrefixSlip::None},
        {"C", "D:", PrefixSlip::LetterToOther},
        {"C", "DE", PrefixSlip::LetterToOther},
        {"Z", "/mnt/z", PrefixSlip::LetterToOther},
        {"a", "1", PrefixSlip::LetterToOther},
        {"Ｚ", "Z:", PrefixSlip::LetterToOther},
        {"C", " ", PrefixSlip::LetterToOther},
        {"@", "AB", PrefixSlip::None},
        {"[", "AB", PrefixSlip::None},
        {"`", "AB", PrefixSlip::None},
        {"{", "AB", PrefixSlip::None},
        {"9", "D:", PrefixSlip::None},
        {"９", "D:", PrefixSlip::None},
        {"あ", "いう", PrefixSlip::None},
        {"CD", "E:", PrefixSlip::None},
        // A drive or drive root goes to a drive, a drive root or a folder
        // from the root.
        {"C:", "D:", PrefixSlip::None},
        {"C:", "/mnt/c", PrefixSlip::None},
        {"c:", "\\\\server\\c", PrefixSlip::None},
        {"C:\\", "D:\\", PrefixSlip::None},
        {"C:\\", "/mnt/c/", PrefixSlip::None},
        {"C:/", "D:/", PrefixSlip::None},
        {"Ｃ：", "D:", PrefixSlip::None},
        {"C:\\", "/", PrefixSlip::None},
        {"C:", "D", PrefixSlip::DriveToRelative},
        {"C:", "mnt/c", PrefixSlip::DriveToRelative},
        {"Z:", "~/c", PrefixSlip::DriveToRelative},
        {"Ｃ：", "D", PrefixSlip::DriveToRelative},
        {"C:\\", "D\\", PrefixSlip::DriveToRelative},
        {"C:\\", "D:\\x\\", PrefixSlip::DriveToRelative},
        {"C:", " ", PrefixSlip::DriveToRelative},
        // Not drives: a digit or a symbol before the colon, or more after it.
        {"9:", "D", PrefixSlip::None},
        {"@:", "D", PrefixSlip::None},
        {"C:\\x", "D", PrefixSlip::None},
        // Both or neither end in a separator.
        {"C:\\", "/mnt/c", PrefixSlip::SeparatorMismatch},
        {"C:", "D:\\", PrefixSlip::SeparatorMismatch},
        {"C:", "/mnt/c/", PrefixSlip::SeparatorMismatch},
        {"/media/old/", "/media/new", PrefixSlip::SeparatorMismatch},
        {"/media/old", "/media/new\\", PrefixSlip::SeparatorMismatch},
        {"C:\\Docs", "E:\\Archive\\", PrefixSlip::SeparatorMismatch},
        {"/media/old", "/media/new", PrefixSlip::None},
        {"/media/old/", "/media/new/", PrefixSlip::None},
        {"C:\\Docs\\", "/srv/docs/", PrefixSlip::None},
        {" ", "Z", PrefixSlip::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldPrefix) + " -> " + c.newPrefix);
        EXPECT_EQ(checkPrefixes(QString::fromUtf8(c.oldPrefix), QString::fromUtf8(c.newPrefix)),
                  c.expected);
    }
}

TEST(ConvertPrefix, DriveMovedIntoASlashFolderTakesSlashesThroughout)
{
    EXPECT_EQ(convertPrefix("C:\\Users\\k\\a.doc", "C:", "/mnt/c"),
              QString("/mnt/c/Users/k/a.doc"));
    EXPECT_EQ(convertPrefix("c:\\Users\\k\\", "C:\\", "/mnt/c/"), QString("/mnt/c/Users/k/"));
    EXPECT_EQ(convertPrefix("C:", "C:", "/mnt/c"), QString("/mnt/c"));
    EXPECT_EQ(convertPrefix("Ｃ：\\x\\y", "ｃ：", "/mnt/c"), QString("/mnt/c/x/y"));
    // Anything else keeps its separators as stored.
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:", "D:"), QString("D:\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:", "\\\\srv\\c"), QString("\\\\srv\\c\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C", "D"), QString("D:\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:\\a", "/srv"), QString("/srv\\b"));
    EXPECT_EQ(convertPrefix("/media/old\\x", "/media/old", "/media/new"), QString("/media/new\\x"));
}

TEST(ConvertPrefix, WebAddressesAreNeverTouched)
{
    for (const char* address :
         {"http://example.com/a", "HTTPS://example.com/", "ftp://h/x", "file:///C:/x"}) {
        SCOPED_TRACE(address);
        const QString value = QString::fromLatin1(address);
        EXPECT_FALSE(convertPrefix(value, value.left(1), "x"));
        EXPECT_FALSE(convertPrefix(value, value.left(5), "/x"));
    }
    // A drive letter before "//" is still a drive.
    EXPECT_EQ(convertPrefix("C://x", "C", "D"), QString("D://x"));
}

TEST(ConvertLinkTargets, ConvertsEveryLineThatBeginsWithThePrefix)
{
    EXPECT_EQ(convertLinkTargets("http://x/\r\n/media/old/y\r\n", "/media/old", "/srv"),
              QString("http://x/\r\n/srv/y\r\n"));
    EXPECT_EQ(convertLinkTargets(" \r\n", " ", "Z"), QString("Z\r\n"));
    EXPECT_EQ(convertLinkTargets("http://h/a\r\nh:\\b\r\n", "h", "x"),
              QString("http://h/a\r\nx:\\b\r\n"));
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

struct Row {
    QLineEdit* oldField;
    QLineEdit* newField;
    QPushButton* button;
    const char* column;
};

std::vector<Row> rowsOf(Form2& dialog)
{
    return {{dialog.Text3, dialog.Text5, dialog.Command3, "サムネイルパス"},
            {dialog.Text6, dialog.Text7, dialog.Command4, "ファイルパス"},
            {dialog.Text8, dialog.Text9, dialog.Command5, "起動オプション"},
            {dialog.Text10, dialog.Text11, dialog.Command6, "作業フォルダ"}};
}

TEST_F(DriveConversionTest, SlipsAreRefusedOnEveryRowAndChangeNoRow)
{
    addTitle("a", "C:\\p\\a.bmp", "C:\\a.doc\r\nC:\\b.doc\r\n", "C:\\work", "C:\\opt.ini");
    addTitle("b", "c:\\", "c:\\\r\n", "c:\\", "c:\\");
    addTitle("c", "C:", "C:\r\n", "C:", "C:");
    const QStringList before = everything();
    struct Slip {
        const char* oldPrefix;
        const char* newPrefix;
        const char* says;
    };
    const Slip slips[] = {
        {"C", "D:", "１文字"},
        {"C", "DE", "１文字"},
        {"Ｚ", "Z:", "１文字"},
        {"C:", "D", "/mnt/c）"},
        {"C:\\", "D\\", "/mnt/c）"},
        {"C:", "mnt", "/mnt/c）"},
        {"C:\\", "/mnt/c", "区切り文字"},
        {"C:", "D:\\", "区切り文字"},
    };
    for (const Row& row : rowsOf(*dialog)) {
        for (const Slip& slip : slips) {
            SCOPED_TRACE(std::string(row.column) + ": " + slip.oldPrefix + " -> " + slip.newPrefix);
            fakes.dialogs.shown.clear();
            row.oldField->setText(QString::fromUtf8(slip.oldPrefix));
            row.newField->setText(QString::fromUtf8(slip.newPrefix));
            row.button->click();
            const QStringList said = messages();
            ASSERT_EQ(said.size(), 1);
            EXPECT_TRUE(said[0].contains(QString::fromUtf8(slip.says))) << said[0].toStdString();
            EXPECT_TRUE(said[0].contains("変換は行っていません。"));
            EXPECT_EQ(everything(), before);
            // What was typed stays, to be mended.
            EXPECT_EQ(row.newField->text(), QString::fromUtf8(slip.newPrefix));
        }
    }
}

TEST_F(DriveConversionTest, SafePairsConvertAsBefore)
{
    struct Pair {
        const char* oldPrefix;
        const char* newPrefix;
        const char* stored;
        const char* converted;
    };
    const Pair pairs[] = {
        {"C", "D", "C:\\a\\b.doc", "D:\\a\\b.doc"},
        {"C:", "D:", "c:\\a\\b.doc", "D:\\a\\b.doc"},
        {"C:", "/mnt/c", "C:\\a\\b.doc", "/mnt/c/a/b.doc"},
        {"C:\\", "/mnt/c/", "C:\\a\\b.doc", "/mnt/c/a/b.doc"},
        {"/media/old", "/media/new", "/media/old/a/b.doc", "/media/new/a/b.doc"},
        {" ", "Z", " ", "Z"},
    };
    const std::vector<Row> all = rowsOf(*dialog);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Row& row = all[i];
        // Stored link targets end each line in CR LF.
        const QString lineEnd = i == 1 ? "\r\n" : "";
        for (const Pair& pair : pairs) {
            SCOPED_TRACE(std::string(row.column) + ": " + pair.oldPrefix + " -> " + pair.newPrefix);
            sql("DELETE FROM タイトル");
            // In the rows' order: thumbnail, link targets, options, folder.
            QStringList values(4, " ");
            values[int(i)] = QString::fromUtf8(pair.stored) + lineEnd;
            addTitle("a", values[0], values[1], values[3], values[2]);
            fakes.dialogs.shown.clear();
            row.oldField->setText(QString::fromUtf8(pair.oldPrefix));
            row.newField->setText(QString::fromUtf8(pair.newPrefix));
            row.button->click();
            EXPECT_EQ(messages(), QStringList{kConverted});
            EXPECT_EQ(column(row.column, "a"), QString::fromUtf8(pair.converted) + lineEnd);
        }
    }
}

TEST_F(DriveConversionTest, WindowsDriveMovesIntoALinuxFolderInAllFourColumns)
{
    addTitle("a", "C:\\Users\\k\\pics\\a.jpg",
             "C:\\Users\\k\\a.doc\r\nhttp://example.com/c:\\x\r\nc:\\Data\\b.xls\r\n"
             "E:\\other\\c.txt\r\n",
             "C:\\Users\\k", "C:\\Users\\k\\opt.ini");
    addTitle("b", "E:\\pics\\b.jpg", "http://example.com/\r\nE:\\x.doc\r\n", "E:\\work",
             "-f C:\\x.ini");
    addTitle("c", "C:", "C:\r\n", "C:\\", "C:\\Program Files\\x.exe");
    const QStringList untouched = rows("SELECT * FROM タイトル WHERE タイトル名 = 'b'");

    for (const Row& row : rowsOf(*dialog)) {
        row.oldField->setText("C:");
        row.newField->setText("/mnt/c");
        row.button->click();
    }
    EXPECT_EQ(messages(), QStringList(4, kConverted));
    EXPECT_EQ(rows("SELECT 説明, サムネイルパス, 作業フォルダ, 起動オプション FROM タイトル "
                   "WHERE タイトル名 = 'a'"),
              QStringList{" |/mnt/c/Users/k/pics/a.jpg|/mnt/c/Users/k|/mnt/c/Users/k/opt.ini"});
    // Each link target on the drive moves; the web address and the target on
    // another drive keep every character.
    EXPECT_EQ(column("ファイルパス", "a"),
              "/mnt/c/Users/k/a.doc\r\nhttp://example.com/c:\\x\r\n/mnt/c/Data/b.xls\r\n"
              "E:\\other\\c.txt\r\n");
    EXPECT_EQ(rows("SELECT * FROM タイトル WHERE タイトル名 = 'b'"), untouched);
    EXPECT_EQ(rows("SELECT サムネイルパス, ファイルパス, 作業フォルダ, 起動オプション FROM "
                   "タイトル WHERE タイトル名 = 'c'"),
              QStringList{"/mnt/c|/mnt/c\r\n|/mnt/c/|/mnt/c/Program Files/x.exe"});
}

TEST_F(DriveConversionTest, FailingMoveIntoALinuxFolderLeavesEveryRowAsItWas)
{
    addTitle("a", " ", "C:\\a\\x.doc\r\nC:\\a\\y.doc\r\n");
    addTitle("b", " ", "C:\\b\\x.doc\r\n");
    addTitle("c", " ", "C:\\c\\x.doc\r\n");
    sql("CREATE TRIGGER refuse BEFORE UPDATE ON タイトル WHEN OLD.タイトル名 = 'c' "
        "BEGIN SELECT RAISE(ABORT, 'locked'); END");
    const QStringList before = everything();
    dialog->Text6->setText("C:");
    dialog->Text7->setText("/mnt/c");
    dialog->Command4->click();
    EXPECT_EQ(messages(), QStringList{"「ドライブ・コンバージョン」でエラーが発生しました。"});
    EXPECT_EQ(everything(), before);
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
