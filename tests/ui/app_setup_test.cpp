#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <qpa/qplatformwindow.h>

#include "images/form3.h"
#include "maint/form2.h"
#include "platform/dialogs.h"
#include "support/form_fixture.h"
#include "ui/app_setup.h"

namespace
{

// The title the window manager is handed: Qt formats it this way on X11 and
// Wayland, appending the display name when the application has one.
struct PlatformTitle : QPlatformWindow {
    using QPlatformWindow::formatWindowTitle;
};

QString shownTitle(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!handle)
        return QStringLiteral("<no platform window>");
    return PlatformTitle::formatWindowTitle(handle->title(), QStringLiteral(" \u2014 "));
}

// The visible caption of a button: its text without the mnemonic marker.
QString caption(const QAbstractButton* button)
{
    return button->text().remove(QLatin1Char('&'));
}

// Every case leaves the application as it found it: no translator of ours
// and the font it had.
class AppSetupTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        m_font = QApplication::font();
    }
    void TearDown() override
    {
        for (auto* translator : qApp->findChildren<QTranslator*>(QStringLiteral("qtbase_ja"))) {
            QApplication::removeTranslator(translator);
            delete translator;
        }
        QApplication::setFont(m_font);
        FormFixture::TearDown();
    }

    // Opens a real message box through the program's dialogs and reads what
    // it shows before answering No.
    struct SeenBox {
        QString title;
        QString platformTitle;
        QStringList buttons;
    };
    template <typename Open> SeenBox seeMessageBox(Open open)
    {
        SeenBox seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.title = box->windowTitle();
            seen.platformTitle = shownTitle(box);
            for (QAbstractButton* button : box->buttons())
                seen.buttons << caption(button);
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->button(QMessageBox::Ok)->click();
        });
        open();
        return seen;
    }

private:
    QFont m_font;
};

TEST_F(AppSetupTest, StandardButtonsAndQtDialogsSpeakJapanese)
{
    ASSERT_TRUE(setUpApplication(*qApp));

    QMessageBox box(QMessageBox::Question, QStringLiteral("確認!"),
                    QStringLiteral("終了しますか？"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_TRUE(caption(box.button(QMessageBox::Yes)).startsWith(QStringLiteral("はい")));
    EXPECT_TRUE(caption(box.button(QMessageBox::No)).startsWith(QStringLiteral("いいえ")));
    EXPECT_EQ(caption(box.button(QMessageBox::Ok)), "OK");
    EXPECT_EQ(caption(box.button(QMessageBox::Cancel)), "キャンセル");

    QColorDialog colours;
    EXPECT_EQ(colours.windowTitle(), "色を選択");
    QFileDialog open;
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList openButtons;
    for (const QPushButton* button : open.findChildren<QPushButton*>())
        openButtons << caption(button);
    EXPECT_TRUE(openButtons.contains("キャンセル")) << openButtons.join(',').toStdString();
    EXPECT_TRUE(openButtons.filter(QStringLiteral("開く")).size() == 1)
        << openButtons.join(',').toStdString();

    // A second set-up finds the texts already there.
    EXPECT_TRUE(setUpApplication(*qApp));
    EXPECT_EQ(qApp->findChildren<QTranslator*>(QStringLiteral("qtbase_ja")).size(), 1);
}

TEST_F(AppSetupTest, MissingTranslationsAreReportedAndLeaveQtInEnglish)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_FALSE(installQtJapanese(*qApp, empty.path()));
    EXPECT_FALSE(installQtJapanese(*qApp, empty.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>(QStringLiteral("qtbase_ja")).isEmpty());
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(caption(box.button(QMessageBox::Yes)), "Yes");

    // A catalogue that is not one is refused the same way.
    QFile junk(QDir(empty.path()).filePath(QStringLiteral("qtbase_ja.qm")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a translation catalogue");
    junk.close();
    EXPECT_FALSE(installQtJapanese(*qApp, empty.path()));
    EXPECT_EQ(caption(box.button(QMessageBox::Yes)), "Yes");
}

TEST_F(AppSetupTest, WindowsAndMessageBoxesCarryTheirTitlesExactly)
{
    setUpApplication(*qApp);
    makeForm();
    form->show();
    EXPECT_EQ(form->windowHandle()->title().toStdString(), "ＱＵＩＬＭＯ　Ver.2.01a");
    EXPECT_EQ(shownTitle(form.get()), "ＱＵＩＬＭＯ　Ver.2.01a");

    Form2 settings(*form);
    settings.show();
    EXPECT_EQ(shownTitle(&settings).toStdString(), "環境設定");

    Form3 chooser(*form, QDir::homePath());
    chooser.show();
    EXPECT_EQ(shownTitle(&chooser).toStdString(), "作業フォルダの参照");

    QtDialogs dialogs;
    const SeenBox question = seeMessageBox([&] {
        dialogs.askYesNo(form.get(), QStringLiteral("終了しますか？"), QStringLiteral("確認!"));
    });
    EXPECT_EQ(question.title, "確認!");
    EXPECT_EQ(question.platformTitle.toStdString(), "確認!");
    ASSERT_EQ(question.buttons.size(), 2);
    EXPECT_TRUE(question.buttons.filter(QStringLiteral("はい")).size() == 1);
    EXPECT_TRUE(question.buttons.filter(QStringLiteral("いいえ")).size() == 1);

    // A notice has no title of its own: it shows the program's name alone.
    const SeenBox notice =
        seeMessageBox([&] { dialogs.inform(form.get(), QStringLiteral("入力してください。")); });
    EXPECT_EQ(notice.platformTitle.toStdString(), "QUILMO");
    EXPECT_EQ(notice.buttons, QStringList{"OK"});
}

} // namespace
