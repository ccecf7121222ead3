#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

#include "catalogue/option_ops.h"
#include "support/form_fixture.h"
#include "ui/twips.h"

namespace
{

class OptionTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm(false);
        // Start from a width neither reading would give, to see who set it.
        setWidthTwips(form->Text8, 3000);
    }
    void store(const QString& value) { sql("UPDATE オプション SET Option_Value = ?", {value}); }
    int statusWidth() const { return widthTwips(form->Text8); }
};

TEST_F(OptionTest, StoredValuesReadAsZeroOrOne)
{
    const struct {
        const char* stored;
        const char* read;
    } cases[] = {{"0", "0"},  {" 0", "0"}, {"   0", "0"}, {"1", "1"},
                 {"0 ", "1"}, {"no", "1"}, {"", "1"},     {"00", "1"}};
    for (const auto& c : cases) {
        store(QString::fromUtf8(c.stored));
        EXPECT_EQ(Module1::LoadMemoryOption(*form), QString::fromUtf8(c.read)) << c.stored;
    }
    EXPECT_TRUE(form->Text8->text().isEmpty());
}

TEST_F(OptionTest, ReadingSizesTheStatusLineFromTheBoxNotTheValue)
{
    // The box is set without its handler, which would store its own choice.
    QSignalBlocker quiet(form->Check2);
    store("1");
    form->Check2->setChecked(false);
    form->Text8->clear();
    EXPECT_EQ(Module1::LoadMemoryOption(*form), "1");
    EXPECT_EQ(statusWidth(), 7890);

    store("0");
    form->Check2->setChecked(true);
    EXPECT_EQ(Module1::LoadMemoryOption(*form), "0");
    EXPECT_EQ(statusWidth(), 6750);
}

TEST_F(OptionTest, MissingRowReadsEmptyAndIsNeverCreated)
{
    sql("DELETE FROM オプション");
    EXPECT_EQ(Module1::LoadMemoryOption(*form), "");
    EXPECT_EQ(form->Text8->text(), "オプション・データがありません。");
    EXPECT_EQ(statusWidth(), 3000);

    Module1::SaveMemoryOption(*form, "0");
    EXPECT_EQ(form->Text8->text(), "レコードが見つかりません。");
    EXPECT_TRUE(rows("SELECT * FROM オプション").isEmpty());
}

TEST_F(OptionTest, MissingFileReadsOneAndReportsEachOperation)
{
    QFile::remove(dbPath());
    EXPECT_EQ(Module1::LoadMemoryOption(*form), "1");
    EXPECT_EQ(form->Text8->text(), "「オプションの取得」でエラーが発生しています。");
    Module1::SaveMemoryOption(*form, "0");
    EXPECT_EQ(form->Text8->text(), "「オプション更新」でエラーが発生しました。");
    EXPECT_FALSE(QFile::exists(dbPath()));
}

TEST_F(OptionTest, SaveRewritesTheRow)
{
    Module1::SaveMemoryOption(*form, "0");
    EXPECT_EQ(form->Text8->text(), "オプションを正常に更新しました。");
    EXPECT_EQ(rows("SELECT Option_Value FROM オプション WHERE Option_Name = 'Memory'"),
              QStringList{"0"});
}

} // namespace
