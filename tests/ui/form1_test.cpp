#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>

#include "support/form_fixture.h"
#include "ui/list_box.h"
#include "ui/main/tab_area.h"
#include "ui/shape.h"
#include "ui/twips.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MainWindowTest : public FormFixture
{
protected:
    void storeOption(const QString& value)
    {
        sql("UPDATE オプション SET Option_Value = ?", {value});
    }
    QString storedOption()
    {
        return rows("SELECT Option_Value FROM オプション WHERE Option_Name = 'Memory'").value(0);
    }
    int statusWidth() const { return widthTwips(form->Text8); }
};

TEST_F(MainWindowTest, StartsWithTheInitialStateOfItsLayout)
{
    sql("INSERT INTO カテゴリ VALUES ('書籍')");
    makeForm();
    EXPECT_EQ(form->windowTitle(), "ＱＵＩＬＭＯ　Ver.2.01a");
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_EQ(form->SSTab1->tabText(1), "ｻﾑﾈｲﾙ");
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_TRUE(form->WebBrowser1->isHidden());
    EXPECT_TRUE(form->Check1->isChecked());
    EXPECT_TRUE(form->Check2->isChecked());
    EXPECT_EQ(form->Combo2->currentText(), "選択");
    ASSERT_EQ(form->Combo2->count(), 3);
    EXPECT_EQ(form->Combo2->itemText(2), "削除");
    EXPECT_EQ(form->Combo1->currentText(), "書籍");
    EXPECT_EQ(form->List1->count(), 0);
    EXPECT_EQ(form->Label18->text(), "12:12:12");
    EXPECT_EQ(form->Label17->text(), "Memory 100%");
    EXPECT_EQ(form->Shape1->widthTwips(), 495);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
}

// Elements on the tab pages are placed relative to the whole tab area, tab
// strip included, whichever page is in front.
TEST_F(MainWindowTest, TabPageElementsSitWhereTheLayoutPutsThem)
{
    makeForm();
    form->show();
    const auto at = [&](QWidget* w) { return w->mapTo(form->SSTab1, QPoint()); };
    EXPECT_EQ(at(form->Image1), twipsRect(60, 885, 0, 0).topLeft());
    EXPECT_EQ(form->Image1->width() * kTwipsPerPixel, 4365);
    EXPECT_EQ(at(form->Command13), twipsRect(555, 540, 0, 0).topLeft());
    form->SSTab1->setCurrentIndex(4);
    EXPECT_EQ(at(form->OLE2), twipsRect(90, 930, 0, 0).topLeft());
    EXPECT_EQ(form->Text8->geometry(), twipsRect(30, 5820, 6750, 240));
}

TEST_F(MainWindowTest, StoredZeroCoversTheGaugeAndWritesNothing)
{
    storeOption("0");
    const QByteArray before = fileBytes(dbPath());
    makeForm();
    EXPECT_FALSE(form->Check2->isChecked());
    EXPECT_EQ(statusWidth(), 7890);
    EXPECT_EQ(fileBytes(dbPath()), before);
}

TEST_F(MainWindowTest, StoredOneShowsTheGaugeAndWritesNothing)
{
    sql("INSERT INTO カテゴリ VALUES ('書籍')");
    const QByteArray before = fileBytes(dbPath());
    makeForm();
    EXPECT_TRUE(form->Check2->isChecked());
    EXPECT_EQ(statusWidth(), 6750);
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_EQ(fileBytes(dbPath()), before);
}

TEST_F(MainWindowTest, MissingOptionRowShowsTheGaugeAndClicksOnlyResize)
{
    sql("DELETE FROM オプション");
    makeForm();
    EXPECT_TRUE(form->Check2->isChecked());
    EXPECT_EQ(statusWidth(), 6750);

    form->Check2->setChecked(false);
    EXPECT_EQ(statusWidth(), 7890);
    form->Check2->setChecked(true);
    EXPECT_EQ(statusWidth(), 6750);
    EXPECT_TRUE(rows("SELECT * FROM オプション").isEmpty());
}

TEST_F(MainWindowTest, ClickingTheGaugeBoxStoresTheChoice)
{
    makeForm();
    form->Check2->click();
    EXPECT_EQ(statusWidth(), 7890);
    EXPECT_EQ(storedOption(), "0");
    EXPECT_EQ(form->Text8->text(), "オプションを正常に更新しました。");

    form->Check2->click();
    EXPECT_EQ(statusWidth(), 6750);
    EXPECT_EQ(storedOption(), "1");
}

TEST_F(MainWindowTest, FailedOptionReadStillStoresAClearedBox)
{
    makeForm();
    // The row holds a value the program never writes; reading it as "1"
    // differs from a cleared box, so the box's state is stored.
    storeOption("yes");
    form->Check2->setChecked(false);
    EXPECT_EQ(storedOption(), "0");
    EXPECT_EQ(statusWidth(), 7890);
}

TEST_F(MainWindowTest, TickShowsMemoryLoadAndTime)
{
    makeForm();
    for (int load : {0, 45, 100}) {
        fakes.memory.load = load;
        form->Timer1_Timer();
        EXPECT_EQ(form->Label17->text(), QStringLiteral("Memory %1%").arg(load));
        EXPECT_EQ(form->Shape1->widthTwips(), load * 10);
    }
    fakes.clock.time = QTime(9, 5, 9);
    form->Timer1_Timer();
    EXPECT_EQ(form->Label18->text(), "09:05:09");
    fakes.clock.time = QTime(13, 5, 9);
    form->Timer1_Timer();
    EXPECT_EQ(form->Label18->text(), "13:05:09");
}

// The widest text the tick writes is measured in the label's own font: it has
// to lie inside the label, inside the window and above the gauge frame.
TEST_F(MainWindowTest, WidestGaugeTextFitsInsideTheWindowAboveTheFrame)
{
    makeForm();
    form->show();
    fakes.memory.load = 100;
    form->Timer1_Timer();
    const QLabel* label = form->Label17;
    ASSERT_EQ(label->text(), "Memory 100%");

    const QFontMetrics metrics(label->font());
    const QRect drawn =
        metrics.boundingRect(label->contentsRect(), int(label->alignment()), label->text());
    EXPECT_TRUE(label->contentsRect().contains(drawn))
        << drawn.width() << "x" << drawn.height() << " in " << label->width() << "x"
        << label->height();
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_LE(metrics.height(), label->contentsRect().height());

    const QRect inWindow = drawn.translated(label->pos());
    EXPECT_TRUE(form->rect().contains(label->geometry()));
    EXPECT_TRUE(form->rect().contains(inWindow));
    EXPECT_LT(label->geometry().bottom(), form->Shape3->geometry().top());
    EXPECT_LT(inWindow.bottom(), form->Shape3->geometry().top());
    // It does not slip under the status line or the button row either.
    EXPECT_GT(label->x(), form->Text8->geometry().right());
    EXPECT_GE(label->y(), form->Command11->geometry().bottom());
    // Still a text one can read.
    EXPECT_GE(QFontInfo(label->font()).pixelSize(), 8);
}

TEST_F(MainWindowTest, ExitAnsweredNoOnlyEmptiesTheStatusLine)
{
    makeForm();
    form->Text8->setText("前のメッセージ");
    form->Text2->setText("編集中");
    fakes.dialogs.answer({false});
    form->Command11_Click();
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "終了しますか？");
    EXPECT_EQ(fakes.dialogs.shown[0].title, "確認!");
    EXPECT_EQ(fakes.process.ended, 0);
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_EQ(form->Text2->text(), "編集中");

    fakes.dialogs.answer({true});
    form->Command11_Click();
    EXPECT_EQ(fakes.process.ended, 1);
}

TEST_F(MainWindowTest, CloseButtonEndsAtOnceWithoutAQuestion)
{
    makeForm();
    form->Text2->setText("未保存");
    form->Command22_Click();
    EXPECT_EQ(fakes.process.ended, 1);
    EXPECT_TRUE(fakes.dialogs.shown.empty());
}

TEST_F(MainWindowTest, WindowManagerCloseAsksFirst)
{
    makeForm();
    form->show();
    fakes.dialogs.answer({false});
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(fakes.process.ended, 0);
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "終了しますか？");

    fakes.dialogs.answer({true});
    form->close();
    EXPECT_EQ(fakes.process.ended, 1);
}

} // namespace
