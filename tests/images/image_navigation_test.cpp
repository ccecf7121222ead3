#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/form_fixture.h"
#include "ui/list_box.h"
#include "ui/main/tab_area.h"

namespace
{

class ImageNavigationTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
        // The entries need not exist: a missing picture only ends in the
        // thumbnail's failure message, and the position is what is checked.
        form->List2->addItems({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
        form->Text7->setText("3");
    }
    void at(const QString& position) { form->Label14->setText(position); }
    QString position() const { return form->Label14->text(); }
    QString image() const { return form->Text5->text(); }
};

TEST_F(ImageNavigationTest, ArrowsWrapAroundBothEnds)
{
    at("3");
    form->Command15->click();
    EXPECT_EQ(position(), "1");
    EXPECT_EQ(image(), "/p/a.jpg");
    form->Command14->click();
    EXPECT_EQ(position(), "3");
    EXPECT_EQ(image(), "/p/c.jpg");
    form->Command14->click();
    EXPECT_EQ(position(), "2");
    EXPECT_EQ(image(), "/p/b.jpg");
}

TEST_F(ImageNavigationTest, NoPositionStandsBeforeTheFirstEntry)
{
    at("");
    form->Command15->click();
    EXPECT_EQ(position(), "1");
    at("0");
    form->Command14->click();
    EXPECT_EQ(position(), "3");
    form->Command13->click();
    EXPECT_EQ(image(), "/p/a.jpg");
    form->Command16->click();
    EXPECT_EQ(image(), "/p/c.jpg");
    EXPECT_EQ(position(), "3");
}

TEST_F(ImageNavigationTest, WithoutABuiltListOnlyThePositionBecomesZero)
{
    form->Text7->clear();
    form->Text5->setText("/kept.jpg");
    at("");
    for (QPushButton* button :
         {form->Command13, form->Command14, form->Command15, form->Command16}) {
        button->click();
        EXPECT_EQ(position(), "0");
        EXPECT_EQ(image(), "/kept.jpg");
    }
    form->Text7->setText("0");
    at("2");
    form->Command15->click();
    EXPECT_EQ(position(), "0");
    EXPECT_EQ(image(), "/kept.jpg");
}

TEST_F(ImageNavigationTest, OneEntryListForTopAndLast)
{
    form->List2->clear();
    form->List2->addItem("/p/only.jpg");
    form->Text7->setText("1");
    form->Command16->click();
    EXPECT_EQ(position(), "1");
    form->Command13->click();
    EXPECT_EQ(position(), "1");
    EXPECT_EQ(image(), "/p/only.jpg");
}

// A count left behind by an earlier build can name more entries than the
// list holds; moving never reads past the list.
TEST_F(ImageNavigationTest, StaleCountNeverReadsOutsideTheList)
{
    form->Text7->setText("7");
    at("6");
    form->Command15->click();
    EXPECT_EQ(position(), "1");
    at("6");
    form->Command14->click();
    EXPECT_EQ(position(), "3");
    form->Command16->click();
    EXPECT_EQ(position(), "3");
    EXPECT_EQ(image(), "/p/c.jpg");
}

// Clicks an entry of the image list as the user does.
void clickEntry(Form1& form, int row)
{
    form.SSTab1->setCurrentIndex(3);
    form.List2->scrollTo(form.List2->model()->index(row, 0));
    QTest::mouseClick(form.List2->viewport(), Qt::LeftButton, {},
                      form.List2->rowRect(row).center());
}

TEST_F(ImageNavigationTest, ClickingAnEntryTakesItAndShowsTheThumbnailPage)
{
    form->show();
    form->Check1->setChecked(false);
    clickEntry(*form, 1);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_EQ(image(), "/p/b.jpg");
    EXPECT_EQ(position(), "2");

    // The entry already selected, clicked again, is taken again.
    form->Text5->setText("/typed/by/hand.jpg");
    at("3");
    clickEntry(*form, 1);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_EQ(image(), "/p/b.jpg");
    EXPECT_EQ(position(), "2");

    // The last entry, and the keyboard.
    clickEntry(*form, 2);
    EXPECT_EQ(image(), "/p/c.jpg");
    EXPECT_EQ(position(), "3");
    form->List2->setFocus();
    QTest::keyClick(form->List2, Qt::Key_Home);
    EXPECT_EQ(image(), "/p/a.jpg");
    EXPECT_EQ(position(), "1");
}

TEST_F(ImageNavigationTest, TheProgramSelectingAnEntryTakesNothing)
{
    form->Text5->setText("/own.jpg");
    form->List2->setCurrentRow(1);
    EXPECT_EQ(image(), "/own.jpg");
    EXPECT_TRUE(position().isEmpty());
}

} // namespace
