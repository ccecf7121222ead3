#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "catalogue/backup_ops.h"
#include "catalogue/category_ops.h"
#include "catalogue/clearing.h"
#include "catalogue/title_ops.h"
#include "platform/dialogs.h"
#include "ui/list_box.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

void Form1::Command1_Click()
{
    Text8->clear();
    Module1::ClearEditingFields(*this);
    setPointerDefault(Picture1);
    setPointerDefault(Image1);

    const QString mode = Combo2->currentText();
    const QString category = Combo1->currentText();

    if (mode == QStringLiteral("選択")) {
        Module1::LoadTitleList(*this);
        Text1->clear();
    } else if (mode == QStringLiteral("登録")) {
        if (!m_services.dialogs->askYesNo(this, category + QStringLiteral(" を登録しますか？"),
                                          kConfirmCaption))
            return;
        Module1::RegisterCategory(*this);
        Module1::LoadCategoryList(*this);
        Module1::ClearEditingFields(*this);
        List1->clear();
        Combo2->setEditText(QStringLiteral("選択"));
    } else if (mode == QStringLiteral("削除")) {
        Module1::BackupBeforeOperation(*this, QStringLiteral("カテゴリ「%1」の削除").arg(category));
        if (!m_services.dialogs->askYesNo(
                this,
                category + QStringLiteral(
                               " を削除しますか？\r\nこのカテゴリのタイトルは全て削除されます。"),
                kConfirmCaption))
            return;
        Module1::DeleteCategoryWithTitles(*this);
        Module1::ClearEditingFields(*this);
        List1->clear();
        Combo2->setEditText(QStringLiteral("選択"));
        Module1::LoadCategoryList(*this);
    }
}
