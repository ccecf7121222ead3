#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "maint/form2.h"
#include "support/form_fixture.h"
#include "ui/look.h"
#include "ui/twips.h"

namespace
{

class SettingsDialogTest : public FormFixture
{
protected:
    // The dialogs the main window has open; closed ones are gone once the
    // event loop has run their deletion.
    QList<Form2*> openDialogs()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form->findChildren<Form2*>();
    }
};

TEST_F(SettingsDialogTest, OpensWithItsTextsColoursAndFrame)
{
    makeForm();
    form->Text8->setText("前の操作");
    form->Command7->click();
    const auto dialogs = openDialogs();
    ASSERT_EQ(dialogs.size(), 1);
    Form2& dialog = *dialogs.front();

    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), "環境設定");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(255, 224, 192));
    EXPECT_EQ(dialog.Text1->palette().color(QPalette::Base), QColor(255, 255, 192));
    EXPECT_EQ(dialog.Text4->palette().color(QPalette::Base), QColor(255, 255, 192));
    EXPECT_TRUE(dialog.Text1->isReadOnly());
    EXPECT_TRUE(dialog.Text4->isReadOnly());
    EXPECT_EQ(dialog.Label5->text(), "ドライブ・コンバージョン");
    EXPECT_EQ(dialog.Command2->text(), "閉じる");
    EXPECT_EQ(dialog.Text4->toPlainText().split('\n'),
              (QStringList{"QUILMOに登録した情報で、「サムネイル」、「起動リンク先」、",
                           "「起動オプション」、「作業フォルダ」の４つの情報は、先頭文字",
                           "がドライブとなる場合が多いでしょう。ＰＣ環境が変わった場合等",
                           "では、ドライブ名も変更しなければ、正しく参照できません。",
                           "そういう場合は、ＭＤＢの内容をＡｃｃｅｓｓから直に修正する方",
                           "法もありますが、この「コンバージョン機能」で簡単に変換できます。"}));
    EXPECT_TRUE(dialog.Text1->toPlainText().contains(Form2::kHomePage));
    for (QPushButton* button : {dialog.Command3, dialog.Command4, dialog.Command5, dialog.Command6})
        EXPECT_EQ(button->text(), "→変換→");
    // The rows fit between the explanation and the banner.
    EXPECT_GT(dialog.Text3->y(), dialog.Text4->geometry().bottom());
    EXPECT_LT(dialog.Text10->geometry().bottom(), dialog.Image1->y());
    EXPECT_LT(dialog.Command2->geometry().bottom(), dialog.height());
    EXPECT_EQ(dialog.Image1->size(), QSize(200, 40));
}

TEST_F(SettingsDialogTest, ExplanationShowsAllSixLinesWithoutScrolling)
{
    // In the font the program gives every window.
    const QFont appFont = QApplication::font();
    QApplication::setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    makeForm();
    Form2 dialog(*form);
    dialog.show();
    // The scroll bars settle once the box has its size on the screen.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QPlainTextEdit* text = dialog.Text4;
    QTextDocument* document = text->document();
    ASSERT_EQ(document->blockCount(), 6);

    double height = 2 * document->documentMargin();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        height += document->documentLayout()->blockBoundingRect(block).height();
        // Every line ends inside the visible part, nothing wraps.
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        EXPECT_TRUE(text->viewport()->rect().contains(text->cursorRect(end)))
            << "line " << block.blockNumber() + 1;
        EXPECT_EQ(block.layout()->lineCount(), 1);
    }
    EXPECT_LE(height, text->viewport()->height());
    EXPECT_EQ(text->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0);
    QApplication::setFont(appFont);
}

TEST_F(SettingsDialogTest, PrefixFieldsHoldAFolderPrefixInFull)
{
    makeForm();
    Form2 dialog(*form);
    for (QLineEdit* field : {dialog.Text3, dialog.Text5, dialog.Text10, dialog.Text11}) {
        const int needed = field->fontMetrics().horizontalAdvance("/media/old");
        EXPECT_GT(field->width(), needed + 6) << field->objectName().toStdString();
    }
}

TEST_F(SettingsDialogTest, SecondPressBringsUpTheSameDialogAsItIs)
{
    makeForm();
    form->Command7->click();
    Form2* first = openDialogs().value(0);
    ASSERT_TRUE(first);
    first->Text3->setText("C");
    form->Command7->click();
    ASSERT_EQ(openDialogs(), QList<Form2*>{first});
    EXPECT_EQ(first->Text3->text(), "C");
}

TEST_F(SettingsDialogTest, CloseThenReopenStartsWithEmptyFields)
{
    makeForm();
    form->Command7->click();
    Form2* first = openDialogs().value(0);
    ASSERT_TRUE(first);
    first->Text3->setText("C");
    first->Text11->setText("/mnt");
    first->Command2->click();
    EXPECT_TRUE(openDialogs().isEmpty());

    form->Command7->click();
    const auto dialogs = openDialogs();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs.front()->Text3->text().isEmpty());
    EXPECT_TRUE(dialogs.front()->Text11->text().isEmpty());
}

TEST_F(SettingsDialogTest, MissingOptionRowIsReportedOnTheStatusLine)
{
    makeForm();
    sql("DELETE FROM オプション");
    form->Command7->click();
    EXPECT_EQ(form->Text8->text(), "オプション・データがありません。");
    EXPECT_EQ(openDialogs().size(), 1);
}

TEST_F(SettingsDialogTest, BannerOpensTheHomePage)
{
    makeForm();
    form->Command7->click();
    Form2* dialog = openDialogs().value(0);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(hasCustomPointer(dialog->Image1));
    EXPECT_TRUE(fakes.browser.windows.empty());
    QTest::mouseClick(dialog->Image1, Qt::LeftButton);
    QTest::mouseClick(dialog->Image1, Qt::LeftButton);
    // One window of its own, reused, and apart from the help page's window.
    ASSERT_EQ(fakes.browser.windows.size(), 1u);
    EXPECT_EQ(fakes.browser.windows[0]->addresses,
              (QStringList{Form2::kHomePage, Form2::kHomePage}));
    EXPECT_TRUE(fakes.browser.windows[0]->isVisible());
    form->Command18->click();
    EXPECT_EQ(fakes.browser.windows.size(), 2u);

    // Once its user closes it, the next click opens a new one.
    fakes.browser.windows[0]->quit();
    QTest::mouseClick(dialog->Image1, Qt::LeftButton);
    EXPECT_EQ(fakes.browser.windows.size(), 3u);
    EXPECT_TRUE(Form2::kHomePage.startsWith("https://"));
}

TEST(ShippedBanner, IsTwoHundredByForty)
{
    const QPixmap banner(QStringLiteral(QUILMO_ASSETS_DIR "/banner.png"));
    EXPECT_EQ(banner.size(), QSize(200, 40));
}

} // namespace
