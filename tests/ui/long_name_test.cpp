#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace
{

const QString kTooLong = QStringLiteral("タイトル名が長すぎるため登録しませんでした。"
                                        "32767 文字以内にしてください。");

// Names and values longer than a line field holds by default (32,767).
class LongNameTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('書籍')");
        makeForm();
        form->Combo1->setEditText("書籍");
    }
    // A name of n characters, made of a repeated pattern with a kana in it
    // so the case-blind comparison has real work to do.
    static QString name(int n, QChar last = QLatin1Char('a'))
    {
        QString text;
        text.reserve(n);
        while (text.size() < n - 1)
            text += QStringLiteral("名前x").left(n - 1 - text.size());
        return text + last;
    }
    void storeTitle(const QString& title, const QString& description,
                    const QString& options = QStringLiteral(" "))
    {
        sql("INSERT INTO タイトル VALUES (?, ?, ' ', ' ' || char(13, 10), '書籍', ' ', ?)",
            {title, description, options});
    }
    void listTitles()
    {
        form->Combo2->setEditText("選択");
        form->Command1->click();
    }
    void clickTitle(const QString& title)
    {
        const int row = form->List1->findRow(title);
        ASSERT_GE(row, 0) << "not listed: " << title.size() << " characters";
        form->List1->setCurrentRow(row);
        form->List1_Click();
    }
    QStringList descriptions()
    {
        return rows("SELECT length(タイトル名) || ':' || 説明 FROM タイトル ORDER BY 1");
    }
};

TEST_F(LongNameTest, RegistrationTakesNamesUpToTheBoundAndRefusesLonger)
{
    for (const int length : {40000, 32768}) {
        SCOPED_TRACE(length);
        form->Text2->setText(name(length));
        form->Text3->setPlainText("説明");
        // The field holds the whole name: nothing is cut before the check.
        ASSERT_EQ(form->Text2->text().size(), length);
        form->Command3->click();
        EXPECT_EQ(form->Text8->text(), kTooLong);
        EXPECT_TRUE(fakes.dialogs.shown.empty()); // refused before the question
        EXPECT_EQ(form->Text2->text().size(), length);
        EXPECT_EQ(form->Text3->toPlainText(), "説明");
        EXPECT_TRUE(rows("SELECT タイトル名 FROM タイトル").isEmpty());
    }

    fakes.dialogs.answer({true});
    form->Text2->setText(name(32767));
    form->Command3->click();
    EXPECT_EQ(form->Text8->text(), "正常に登録しました。");
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList{name(32767)});
}

// Another program stored a name longer than the editor's default, whose
// first 32,767 characters are the whole name of another title. Loaded cut,
// the editor's update and delete would act on that other title.
TEST_F(LongNameTest, StoredLongNameLoadsWholeAndActsOnlyOnItself)
{
    const QString shortName = name(32767);
    const QString longName = shortName + name(40000 - 32767, QLatin1Char('z'));
    ASSERT_EQ(longName.left(32767), shortName);
    const QString longOptions = QString(35000, QLatin1Char('o'));
    storeTitle(shortName, "短い方");
    storeTitle(longName, "長い方", longOptions);

    listTitles();
    ASSERT_EQ(form->List1->count(), 2);
    clickTitle(longName);
    EXPECT_EQ(form->Text2->text(), longName);
    EXPECT_EQ(form->Text3->toPlainText(), "長い方");
    EXPECT_EQ(form->Text9->text(), longOptions);

    fakes.dialogs.answer({true});
    form->Text3->setPlainText("長い方を更新");
    form->Command4->click();
    EXPECT_EQ(form->Text8->text(), "正常に更新しました。");
    EXPECT_EQ(descriptions(), (QStringList{"32767:短い方", "40000:長い方を更新"}));
    // Every other field went back whole too.
    EXPECT_EQ(rows("SELECT 起動オプション FROM タイトル WHERE 説明 = '長い方を更新'"),
              QStringList{longOptions});

    clickTitle(longName);
    fakes.dialogs.answer({true});
    form->Command5->click();
    EXPECT_EQ(form->Text8->text(), "正常に削除しました。");
    EXPECT_EQ(descriptions(), QStringList{"32767:短い方"});

    // The shorter title still loads and acts as itself.
    clickTitle(shortName);
    EXPECT_EQ(form->Text2->text(), shortName);
    EXPECT_EQ(form->Text3->toPlainText(), "短い方");
}

} // namespace
