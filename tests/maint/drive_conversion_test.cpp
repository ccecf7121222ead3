#include <initializer_list>
#include <string>
#include <vector>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "maint/form2.h"
#include "store/catalogue_db.h"
#include "store/drive_conversion.h"
#include "store/sqlite_database.h"
#include "support/form_fixture.h"

using store::conversion::convertLinkTargets;
using store::conversion::convertPrefix;
using store::conversion::convertStoredLinkTargets;
using store::conversion::convertStoredPrefix;

namespace
{

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
    EXPECT_EQ(convertPrefix("O'Neil\\x", "O'Neil", "Q"), QString("Q\\x"));
}

TEST(CheckPrefixes, RefusesEachSlipAndOnlyThose)
{
    using store::conversion::checkPrefixes;
    using store::conversion::PrefixSlip;
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
    // So does any other Windows path: on a drive, UNC, or holding a "\".
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:\\a", "/srv"), QString("/srv/b"));
    EXPECT_EQ(convertPrefix("C:/a\\b", "C:/a", "/srv"), QString("/srv/b"));
    EXPECT_EQ(convertPrefix("x\\a\\b", "x\\a", "/srv"), QString("/srv/b"));
    // Anything else keeps its separators as stored.
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:", "D:"), QString("D:\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:", "\\\\srv\\c"), QString("\\\\srv\\c\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C", "D"), QString("D:\\a\\b"));
    EXPECT_EQ(convertPrefix("C:\\a\\b", "C:\\a", "D:\\srv"), QString("D:\\srv\\b"));
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

// Values as another tool may have stored them: bytes, UTF-8 or not.
QByteArray bytes(std::initializer_list<const char*> pieces)
{
    QByteArray value;
    for (const char* piece : pieces)
        value += piece;
    return value;
}

TEST(ConvertStoredPrefix, AgreesWithTheTextConversionOnEveryValidValue)
{
    const char* values[] = {"C:\\Docs\\a.xls",
                            "c:\\pics\\a.bmp",
                            "/MEDIA/Old/x.jpg",
                            " ",
                            "",
                            "Ｃ：\\x\\y",
                            "http://example.com/a",
                            "C://x",
                            "ÄÖ\\x",
                            "\u212A\\x",
                            "𝐀\\x",
                            "C:",
                            "/"};
    const char* oldPrefixes[] = {"C",  "c:", "C:\\", "/media/old", "ｃ", "ｃ：", "k",
                                 "äö", "𝐀",  " ",    "http",       "/",  "C:\\x"};
    const char* newPrefixes[] = {"D", "/mnt/c", "E:\\"};
    for (const char* value : values) {
        for (const char* oldPrefix : oldPrefixes) {
            for (const char* newPrefix : newPrefixes) {
                SCOPED_TRACE(std::string(value) + " | " + oldPrefix + " -> " + newPrefix);
                const QString text = QString::fromUtf8(value);
                const auto expected =
                    convertPrefix(text, QString::fromUtf8(oldPrefix), QString::fromUtf8(newPrefix));
                const auto stored = convertStoredPrefix(text.toUtf8(), QString::fromUtf8(oldPrefix),
                                                        QString::fromUtf8(newPrefix));
                EXPECT_FALSE(stored.unreadable);
                ASSERT_EQ(stored.value.has_value(), expected.has_value());
                if (expected) {
                    EXPECT_EQ(*stored.value, expected->toUtf8());
                }
            }
        }
    }
}

TEST(ConvertStoredPrefix, BytesAfterTheConvertedPrefixStayAsStored)
{
    // A lone continuation byte, a cut sequence and a byte that is never UTF-8.
    const QByteArray stored = bytes({"C:\\", "\x80", "a\\", "\xE3\x81", "\\", "\xFF"});
    EXPECT_EQ(convertStoredPrefix(stored, "C", "D").value,
              bytes({"D:\\", "\x80", "a\\", "\xE3\x81", "\\", "\xFF"}));
    EXPECT_EQ(convertStoredPrefix(stored, "C:\\", "E:\\").value,
              bytes({"E:\\", "\x80", "a\\", "\xE3\x81", "\\", "\xFF"}));
    // Into a "/" folder only the separators change.
    EXPECT_EQ(convertStoredPrefix(stored, "C:", "/mnt/c").value,
              bytes({"/mnt/c/", "\x80", "a/", "\xE3\x81", "/", "\xFF"}));
    // Case-blind over decoded text, with bytes that are not UTF-8 behind it.
    EXPECT_EQ(convertStoredPrefix(bytes({"ｃ：\\", "\xFE"}), "Ｃ：", "/mnt/c").value,
              bytes({"/mnt/c/", "\xFE"}));
}

TEST(ConvertStoredPrefix, BytesThatAreNotUtf8NeverMatchAndAreToldApartWhenUnknowable)
{
    struct Case {
        QByteArray value;
        const char* oldPrefix;
        bool unreadable;
    };
    const Case cases[] = {
        // An ASCII character is never spelt with such bytes: plainly no match.
        {bytes({"\xFF", ":\\x"}), "C", false},
        {bytes({"C:\\", "\xFF"}), "C:\\x", false},
        {bytes({"\xC0\xAF", "x"}), "/", false},
        {bytes({"E:\\", "\xFF"}), "C", false},
        {bytes({"\xFF\xFE"}), "C", false},
        // The text before them already differs.
        {bytes({"Ｄ", "\x82\x62"}), "ＣＤ", false},
        {bytes({"D:\\", "\x83\x68"}), "C:\\ド", false},
        // Where a character of another script must match, they may be it in
        // another encoding (Shift_JIS "Ｃ", "ド"): not matched, but told.
        {bytes({"\x82\x62\x81\x46"}), "Ｃ", true},
        {bytes({"\xFF\xFE"}), "Ｃ", true},
        {bytes({"C:\\", "\x83\x68"}), "C:\\ド", true},
        {bytes({"c:\\", "\x83\x68"}), "C:\\ド", true},
        // "あ" cut short at the end of the value.
        {bytes({"C:", "\xE3\x81"}), "C:あ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toHex().toStdString() + " | " + c.oldPrefix);
        const auto result = convertStoredPrefix(c.value, QString::fromUtf8(c.oldPrefix), "D");
        EXPECT_FALSE(result.value);
        EXPECT_EQ(result.unreadable, c.unreadable);
    }
}

TEST(ConvertStoredPrefix, TellsUtf8FromOtherBytesAtTheEndsOfEachRange)
{
    struct Sequence {
        const char* bytes;
        bool utf8;
    };
    const Sequence sequences[] = {
        {"\x7F", true},
        {"\x80", false},
        {"\xBF", false},
        {"\xC0\x80", false},
        {"\xC1\xBF", false},
        {"\xC2\x80", true},
        {"\xC2\x7F", false},
        {"\xC2\xC0", false},
        {"\xDF\xBF", true},
        {"\xE0\x9F\xBF", false},
        {"\xE0\xA0\x80", true},
        {"\xE0\xBF\xC0", false},
        {"\xEC\xBF\xBF", true},
        {"\xED\x9F\xBF", true},
        {"\xED\xA0\x80", false},
        {"\xED\xBF\xBF", false},
        {"\xEE\x80\x80", true},
        {"\xEF\xBF\xBF", true},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xF0\x90\x80\x80", true},
        {"\xF3\xBF\xBF\xBF", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xE3\x81", false},
        {"\xF0\x90\x80", false},
    };
    for (const Sequence& s : sequences) {
        const QByteArray sequence(s.bytes);
        SCOPED_TRACE(sequence.toHex().toStdString());
        const QByteArray stored = "C:\\" + sequence + "/z";
        // Behind the prefix, any bytes are kept.
        EXPECT_EQ(convertStoredPrefix(stored, "c:\\", "D:\\").value, "D:\\" + sequence + "/z");
        if (s.utf8) {
            const QString character = QString::fromUtf8(sequence);
            const auto result = convertStoredPrefix(stored, "C:\\" + character, "D:\\");
            EXPECT_EQ(result.value, QByteArray("D:\\/z"));
            EXPECT_FALSE(result.unreadable);
        } else {
            const auto other = convertStoredPrefix(stored, "C:\\é", "D:\\");
            EXPECT_FALSE(other.value);
            EXPECT_TRUE(other.unreadable);
            const auto ascii = convertStoredPrefix(stored, "C:\\z", "D:\\");
            EXPECT_FALSE(ascii.value);
            EXPECT_FALSE(ascii.unreadable);
        }
    }
}

TEST(ConvertStoredPrefix, Boundaries)
{
    // The prefix is the whole value: nothing is left to keep.
    EXPECT_EQ(convertStoredPrefix("C:", "c:", "/mnt/c").value, QByteArray("/mnt/c"));
    EXPECT_EQ(convertStoredPrefix(bytes({"Ｃ", "\xE3\x83\x89"}), "ｃド", "D").value,
              QByteArray("D"));
    // A value of nothing but such bytes: an empty prefix matches it and keeps
    // every byte; no character does.
    const QByteArray only = bytes({"\xFF\x80\xFE"});
    EXPECT_EQ(convertStoredPrefix(only, "", "D").value, "D" + only);
    EXPECT_FALSE(convertStoredPrefix(only, "C", "D").value);
    // Shorter than the prefix, or empty.
    EXPECT_FALSE(convertStoredPrefix("C", "C:", "D:").value);
    EXPECT_FALSE(convertStoredPrefix("", "C", "D").value);
    EXPECT_FALSE(convertStoredPrefix("", "C", "D").unreadable);
    // A prefix ending in half a character does not begin the value.
    EXPECT_FALSE(convertStoredPrefix("𝐀x", QString("𝐀").left(1), "D").value);
}

TEST(ConvertStoredLinkTargets, ConvertsLinesAndKeepsEveryOtherByte)
{
    const QByteArray stored =
        bytes({"C:\\a\xFF.doc\r\n", "\xFF\xFE\r\n", "E:\\", "\x80", "\r\n", "c:\\b\r\n"});
    const auto result = convertStoredLinkTargets(stored, "C:", "/mnt/c");
    EXPECT_EQ(result.value, bytes({"/mnt/c/a\xFF.doc\r\n", "\xFF\xFE\r\n", "E:\\", "\x80", "\r\n",
                                   "/mnt/c/b\r\n"}));
    EXPECT_FALSE(result.unreadable);
    // A line that cannot be read is told; the others convert all the same.
    const auto mixed = convertStoredLinkTargets(bytes({"Ｃ：\\a\r\n", "\x82\x62\r\n"}), "Ｃ", "D");
    EXPECT_EQ(mixed.value, bytes({"D：\\a\r\n", "\x82\x62\r\n"}));
    EXPECT_TRUE(mixed.unreadable);
    const auto none = convertStoredLinkTargets(bytes({"\x82\x62\r\n"}), "Ｃ", "D");
    EXPECT_FALSE(none.value);
    EXPECT_TRUE(none.unreadable);
    // Without a final CR LF the last line is a target too.
    EXPECT_EQ(convertStoredLinkTargets(bytes({"E:\\x\r\n", "C:\xFF"}), "C", "D").value,
              bytes({"E:\\x\r\n", "D:\xFF"}));
}

// The dialog's four rows against a catalogue file.
class DriveConversionTest : public FormFixture
{
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

TEST_F(DriveConversionTest, SafePairsConvertWhatTheyNameAndNothingElse)
{
    struct Pair {
        const char* oldPrefix;
        const char* newPrefix;
        const char* stored;
        // The stored value itself when the pair does not name it.
        const char* converted;
    };
    const Pair pairs[] = {
        {"C", "D", "C:\\a\\b.doc", "D:\\a\\b.doc"},
        {"C:", "D:", "c:\\a\\b.doc", "D:\\a\\b.doc"},
        {"C:", "/mnt/c", "C:\\a\\b.doc", "/mnt/c/a/b.doc"},
        {"C:\\", "/mnt/c/", "C:\\a\\b.doc", "/mnt/c/a/b.doc"},
        {"/media/old", "/media/new", "/media/old/a/b.doc", "/media/new/a/b.doc"},
        {" ", "Z", " ", "Z"},
        // A folder prefix names that folder, not every name it begins.
        {"/media/old", "/media/new", "/media/oldstuff/b.jpg", "/media/oldstuff/b.jpg"},
        {"/media/old", "/media/new", "/media/old", "/media/new"},
        {"C:\\Photos", "E:\\Photos", "C:\\PhotosOld\\a.jpg", "C:\\PhotosOld\\a.jpg"},
        // Any Windows path moved into a "/" folder takes "/" throughout.
        {"C:\\Photos", "/home/u/Photos", "C:\\Photos\\2020\\a.jpg", "/home/u/Photos/2020/a.jpg"},
        {"\\\\server\\share", "/mnt/share", "\\\\server\\share\\a\\b.jpg", "/mnt/share/a/b.jpg"},
        {"\\\\server\\share", "/mnt/share", "\\\\server\\share2\\b.jpg",
         "\\\\server\\share2\\b.jpg"},
        // A drive typed full-width is read half-width, in either field.
        {"Ｃ", "D", "C:\\a\\b.doc", "D:\\a\\b.doc"},
        {"C", "Ｄ", "C:\\a\\b.doc", "D:\\a\\b.doc"},
        {"ｃ：", "/mnt/c", "C:\\a\\b.doc", "/mnt/c/a/b.doc"},
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
            const bool named = std::string(pair.stored) != pair.converted;
            EXPECT_EQ(messages(), QStringList{named ? kConverted : kNotFound});
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

// Titles as another tool stored them, its bytes given in hex, past any QString.
class StoredBytesTest : public DriveConversionTest
{
protected:
    void addStored(const QByteArray& name, const QByteArray& thumbnail,
                   const QByteArray& links = " ")
    {
        sql(QStringLiteral("INSERT INTO タイトル (タイトル名, 説明, サムネイルパス, ファイルパス, "
                           "カテゴリ名, 作業フォルダ, 起動オプション) VALUES (CAST(x'%1' AS TEXT), "
                           "' ', CAST(x'%2' AS TEXT), CAST(x'%3' AS TEXT), '本', ' ', ' ')")
                .arg(QString::fromLatin1(name.toHex()), QString::fromLatin1(thumbnail.toHex()),
                     QString::fromLatin1(links.toHex())));
    }
    // Each stored value of the title named name, in hex.
    QString stored(const char* column, const QByteArray& name)
    {
        return rows(QStringLiteral("SELECT hex(%1) FROM タイトル WHERE hex(タイトル名) = ?")
                        .arg(QString::fromUtf8(column)),
                    {QString::fromLatin1(name.toHex().toUpper())})
            .value(0);
    }
    static QString hex(const QByteArray& value)
    {
        return QString::fromLatin1(value.toHex().toUpper());
    }
    // Every byte of every title, in the order of the rows.
    QStringList everyByte()
    {
        return rows("SELECT hex(タイトル名), hex(説明), hex(サムネイルパス), hex(ファイルパス), "
                    "hex(カテゴリ名), hex(作業フォルダ), hex(起動オプション), "
                    "typeof(サムネイルパス), typeof(ファイルパス) FROM タイトル ORDER BY rowid");
    }
    store::conversion::ColumnConversion convert(const QString& column, const QString& oldPrefix,
                                                const QString& newPrefix)
    {
        CatalogueDb db(dbPath());
        return store::conversion::convertStoredColumn(db, column, oldPrefix, newPrefix);
    }
};

TEST_F(StoredBytesTest, TitleWhoseNameIsNotUtf8IsConvertedAndKeepsItsName)
{
    const QByteArray name = bytes({"A", "\xFF", "B"});
    // Under QString both names read "A\uFFFDB"; only the row tells them apart.
    const QByteArray twin = bytes({"A", "\xFE", "B"});
    addStored(name, "C:\\a.bmp", "C:\\a.doc\r\n");
    addStored(twin, "E:\\b.bmp", "E:\\b.doc\r\n");
    dialog->Text3->setText("C");
    dialog->Text5->setText("D");
    dialog->Command3->click();
    dialog->Text6->setText("C:");
    dialog->Text7->setText("/mnt/c");
    dialog->Command4->click();
    EXPECT_EQ(messages(), (QStringList{kConverted, kConverted}));
    EXPECT_EQ(stored("サムネイルパス", name), hex("D:\\a.bmp"));
    EXPECT_EQ(stored("ファイルパス", name), hex("/mnt/c/a.doc\r\n"));
    EXPECT_EQ(stored("サムネイルパス", twin), hex("E:\\b.bmp"));
    EXPECT_EQ(stored("ファイルパス", twin), hex("E:\\b.doc\r\n"));
    EXPECT_EQ(rows("SELECT hex(タイトル名) FROM タイトル ORDER BY rowid"),
              (QStringList{hex(name), hex(twin)}));
}

TEST_F(StoredBytesTest, BytesThatAreNotUtf8StayExactlyAsStored)
{
    const QByteArray after = bytes({"C:\\", "\xFF", "a\\", "\x83\x5C", ".bmp"});
    const QByteArray elsewhere = bytes({"E:\\", "\xFF", "\\x.bmp"});
    const QByteArray only = bytes({"\xFF\xFE\x80"});
    addStored("a", after, bytes({"C:\\", "\xE3\x81", "\r\n", "\xFF\r\n"}));
    addStored("b", elsewhere, bytes({"E:\\", "\xE3\x81", "\r\n"}));
    addStored("c", only, only);
    dialog->Text3->setText("c:\\");
    dialog->Text5->setText("D:\\");
    dialog->Command3->click();
    dialog->Text6->setText("C");
    dialog->Text7->setText("Z");
    dialog->Command4->click();
    EXPECT_EQ(messages(), (QStringList{kConverted, kConverted}));
    EXPECT_EQ(stored("サムネイルパス", "a"),
              hex(bytes({"D:\\", "\xFF", "a\\", "\x83\x5C", ".bmp"})));
    EXPECT_EQ(stored("ファイルパス", "a"), hex(bytes({"Z:\\", "\xE3\x81", "\r\n", "\xFF\r\n"})));
    // The prefix does not match these: not one byte changes.
    EXPECT_EQ(stored("サムネイルパス", "b"), hex(elsewhere));
    EXPECT_EQ(stored("ファイルパス", "b"), hex(bytes({"E:\\", "\xE3\x81", "\r\n"})));
    EXPECT_EQ(stored("サムネイルパス", "c"), hex(only));
    EXPECT_EQ(stored("ファイルパス", "c"), hex(only));
    // Converted values are still text to the engine and every other tool.
    EXPECT_EQ(rows("SELECT typeof(サムネイルパス), typeof(ファイルパス) FROM タイトル"),
              QStringList(3, "text|text"));
}

TEST_F(StoredBytesTest, NothingMatchingAmongOddBytesIsNotFoundAndChangesNothing)
{
    addStored(bytes({"\xFF"}), bytes({"E:\\", "\xFF"}), bytes({"\xFF\xFE\r\n"}));
    addStored("b", bytes({"\xC0\xBA"}), bytes({"\x80", "C:\\x\r\n"}));
    const QStringList before = everyByte();
    dialog->Text3->setText("C");
    dialog->Text5->setText("D");
    dialog->Command3->click();
    dialog->Text6->setText("C:");
    dialog->Text7->setText("/mnt/c");
    dialog->Command4->click();
    EXPECT_EQ(messages(), (QStringList{kNotFound, kNotFound}));
    EXPECT_EQ(everyByte(), before);
}

TEST_F(StoredBytesTest, CountsExactlyTheTitlesChangedAndThoseLeft)
{
    addStored("match", "/データ/a.bmp");
    addStored(bytes({"\xFF"}), bytes({"/データ/", "\xFF"}));
    addStored("other", "/でーた/a.bmp");
    addStored("cut", bytes({"/", "\xE3\x83"}));
    addStored("sjis", bytes({"/", "\x83\x66\x81\x5B\x83\x5E/a.bmp"}));
    addStored("ascii", bytes({"\xFF/データ/"}));
    addStored("same", "/データ/b.bmp");
    // The engine skips this title's rewrite without an error.
    sql("CREATE TRIGGER skip BEFORE UPDATE ON タイトル WHEN OLD.タイトル名 = 'same' "
        "BEGIN SELECT RAISE(IGNORE); END");
    const auto counts = convert("サムネイルパス", "/データ/", "/data/");
    EXPECT_EQ(counts.matched, 3);
    EXPECT_EQ(counts.changed, 2);
    EXPECT_EQ(counts.left, 3);
    EXPECT_EQ(stored("サムネイルパス", "match"), hex("/data/a.bmp"));
    EXPECT_EQ(stored("サムネイルパス", bytes({"\xFF"})), hex(bytes({"/data/", "\xFF"})));
    EXPECT_EQ(stored("サムネイルパス", "same"), hex("/データ/b.bmp"));
    EXPECT_EQ(stored("サムネイルパス", "sjis"),
              hex(bytes({"/", "\x83\x66\x81\x5B\x83\x5E/a.bmp"})));

    // A value that converts to itself is found but not rewritten.
    sql("DROP TRIGGER skip");
    const auto again = convert("サムネイルパス", "/data/", "/data/");
    EXPECT_EQ(again.matched, 2);
    EXPECT_EQ(again.changed, 0);
    // An ASCII prefix plainly differs from bytes that are not UTF-8.
    EXPECT_EQ(again.left, 0);
    const auto upper = convert("サムネイルパス", "/DATA/", "/DATA/");
    EXPECT_EQ(upper.changed, 2);
    // The legacy count is the titles changed.
    CatalogueDb db(dbPath());
    EXPECT_EQ(store::conversion::convertColumn(db, "サムネイルパス", "/DATA/", "/data/"), 2);
}

TEST_F(StoredBytesTest, TitlesLeftAreCountedInTheMessage)
{
    // "写真" in Shift_JIS is 8E CA 90 5E.
    addStored("a", "写真\\a.bmp", bytes({"写真\\a.doc\r\n", "\x8E\xCA\x90\x5E\r\n"}));
    addStored("b", "写真\\b.bmp", "写真\\b.doc\r\n");
    addStored("c", bytes({"\x8E\xCA\x90\x5E\\c.bmp"}), bytes({"\x8E\xCA\r\n"}));
    const QStringList before = everyByte();
    for (const Row& row : rowsOf(*dialog)) {
        row.oldField->setText("写真");
        row.newField->setText("画像");
    }
    dialog->Command3->click();
    dialog->Command4->click();
    EXPECT_EQ(stored("サムネイルパス", "a"), hex("画像\\a.bmp"));
    EXPECT_EQ(stored("ファイルパス", "a"), hex(bytes({"画像\\a.doc\r\n", "\x8E\xCA\x90\x5E\r\n"})));
    // Only unreadable values: nothing changes, and that is said too.
    sql("UPDATE タイトル SET サムネイルパス = ' ', ファイルパス = ' ' WHERE タイトル名 <> 'c'");
    dialog->Command3->click();
    const QStringList said = messages();
    ASSERT_EQ(said.size(), 3);
    EXPECT_TRUE(said[0].startsWith("2件のタイトルをコンバージョンしました。\n1件のタイトルは"))
        << said[0].toStdString();
    EXPECT_TRUE(said[0].endsWith("元のまま残しました。"));
    // Title a both changed and kept a line it could not read.
    EXPECT_TRUE(said[1].startsWith("2件のタイトルをコンバージョンしました。\n2件のタイトルは"))
        << said[1].toStdString();
    EXPECT_TRUE(said[2].startsWith("0件のタイトルをコンバージョンしました。\n1件のタイトルは"))
        << said[2].toStdString();
    EXPECT_EQ(everyByte().last(), before.last());
}

TEST_F(StoredBytesTest, FailureMidwayLeavesEveryByteAsStored)
{
    addStored(bytes({"\xFF"}), bytes({"C:\\", "\xFF"}), bytes({"C:\\", "\xFE\r\n"}));
    addStored(bytes({"A\xFE"}), bytes({"c:\\", "\x80"}), bytes({"c:\\", "\x80\r\n"}));
    addStored("z", bytes({"C:\\", "\xE3\x81"}), bytes({"C:\\", "\xE3\x81\r\n"}));
    // The last title cannot be rewritten; the others have been by then.
    sql("CREATE TRIGGER refuse BEFORE UPDATE ON タイトル WHEN OLD.タイトル名 = 'z' "
        "BEGIN SELECT RAISE(ABORT, 'locked'); END");
    const QStringList before = everyByte();
    CatalogueDb db(dbPath());
    EXPECT_THROW(store::conversion::convertStoredColumn(db, "サムネイルパス", "C:", "/mnt/c"),
                 DbError);
    EXPECT_EQ(everyByte(), before);
    dialog->Text6->setText("C");
    dialog->Text7->setText("D");
    dialog->Command4->click();
    EXPECT_EQ(messages(), QStringList{"「ドライブ・コンバージョン」でエラーが発生しました。"});
    EXPECT_EQ(everyByte(), before);
}

TEST_F(StoredBytesTest, WholeValuesAndEmptyRests)
{
    addStored("a", "C:", "C:\r\n");
    addStored("b", bytes({"\xFF"}), bytes({"\xFF\r\n"}));
    addStored("c", "", "\r\n");
    const auto thumbnails = convert("サムネイルパス", "c:", "/mnt/c");
    EXPECT_EQ(thumbnails.matched, 1);
    EXPECT_EQ(thumbnails.changed, 1);
    EXPECT_EQ(thumbnails.left, 0);
    const auto links = convert("ファイルパス", "C:", "D:");
    EXPECT_EQ(links.changed, 1);
    EXPECT_EQ(links.left, 0);
    EXPECT_EQ(
        rows("SELECT hex(サムネイルパス), hex(ファイルパス) FROM タイトル ORDER BY rowid"),
        (QStringList{hex("/mnt/c") + "|" + hex("D:\r\n"),
                     hex(bytes({"\xFF"})) + "|" + hex(bytes({"\xFF\r\n"})), "|" + hex("\r\n")}));
}

} // namespace
