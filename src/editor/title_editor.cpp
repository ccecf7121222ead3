#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "catalogue/clearing.h"
#include "catalogue/title_ops.h"
#include "images/image_list.h"
#include "launch/link_icon.h"
#include "launch/thumbnail.h"
#include "platform/dialogs.h"
#include "store/field_text.h"
#include "ui/list_box.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"

namespace
{

const QString kEditorTitle = QStringLiteral("確認！");

// The longest name a registration takes, counted in the editor's UTF-16
// characters: the bound earlier versions cut names at, so a name registered
// here is one they hold whole as well.
constexpr int kMaxTitleNameLength = 32767;

} // namespace

void Form1::List1_Click()
{
    Text8->clear();
    // A title that could not be read leaves the editor and its pictures as
    // they were, with the read's own message on the status line.
    if (!Module1::LoadTitleRecord(*this))
        return;
    List2->clear();
    Text8->setText(QStringLiteral("タイトルが選択されました。"));

    const QString path = Text5->text();
    const bool noThumbnail = isBlankField(path);
    Module1::ShowThumbnail(*this, noThumbnail ? QString() : path);
    Module1::ShowLinkIcon(*this);
    Module1::BuildImageList(*this);
    if (noThumbnail)
        setPointerDefault(Image1);

    // With several equal entries the last one counts, as the whole list is
    // walked.
    const QString thumbnail = Text5->text();
    for (int i = 0; i < List2->count(); ++i) {
        if (List2->text(i) == thumbnail)
            Label14->setText(QString::number(i + 1));
    }
}

void Form1::Command2_Click()
{
    Text8->clear();
    Module1::SearchTitles(*this);
}

void Form1::Command3_Click()
{
    Text8->clear();
    if (Combo1->currentText().isEmpty()) {
        m_services.dialogs->inform(this, QStringLiteral("カテゴリが指定されていません。"));
        return;
    }
    if (Text2->text().isEmpty()) {
        m_services.dialogs->inform(this, QStringLiteral("タイトルに文字列を入力してください。"));
        return;
    }
    if (Text2->text().size() > kMaxTitleNameLength) {
        Text8->setText(QStringLiteral("タイトル名が長すぎるため登録しませんでした。"
                                      "%1 文字以内にしてください。")
                           .arg(kMaxTitleNameLength));
        return;
    }
    if (!m_services.dialogs->askYesNo(this, Text2->text() + QStringLiteral(" を登録しますか？"),
                                      kEditorTitle))
        return;
    // Only a stored title empties the editor; a refused one stays for the
    // user to mend, and the list, which has not changed, keeps the status
    // line's reason in view.
    if (!Module1::RegisterTitle(*this))
        return;
    Module1::ClearEditingFields(*this);
    Module1::LoadTitleList(*this);
}

void Form1::Command4_Click()
{
    Text8->clear();
    if (!m_services.dialogs->askYesNo(this, Text2->text() + QStringLiteral(" を更新しますか？"),
                                      kEditorTitle))
        return;
    Module1::UpdateTitle(*this);
    Module1::LoadTitleList(*this);
}

void Form1::Command5_Click()
{
    Text8->clear();
    if (!m_services.dialogs->askYesNo(this, Text2->text() + QStringLiteral(" を削除しますか？"),
                                      kEditorTitle))
        return;
    Module1::DeleteTitle(*this);
    Module1::ClearEditingFields(*this);
    Module1::LoadTitleList(*this);
}

void Form1::Command19_Click()
{
    const QString text = Combo3->currentText();
    if (Combo3->count() == 0)
        Combo3->addItem(text);
    if (Combo3->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        Combo3->addItem(text);
}

void Form1::Check1_Click()
{
    SSTab1->setCurrentIndex(1);
    if (Check1->isChecked()) {
        List1_Click();
        return;
    }
    WebBrowser1->hide();
    Image1->clear();
    Image1->setToolTip(QString());
    setPointerDefault(Image1);
    Picture2->clear();
    Picture2->hide();
}

void Form1::Command20_Click()
{
    const QString text = Combo3->currentText();
    for (int i = 0; i < Combo3->count(); ++i) {
        if (Combo3->itemText(i) == text) {
            {
                // Removing the current entry makes Qt copy another entry into
                // the text; only the emptied text below counts.
                const QSignalBlocker quiet(Combo3);
                Combo3->removeItem(i);
                Combo3->setCurrentIndex(-1);
                Combo3->setEditText(QString());
            }
            // The emptied text is a change of the link target: the icon goes.
            if (!text.isEmpty())
                Combo3_Change();
            return;
        }
    }
}
