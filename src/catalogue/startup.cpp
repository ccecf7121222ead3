#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "catalogue/category_ops.h"
#include "catalogue/option_ops.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/messages.h"
#include "ui/twips.h"

void Form1::Form_Load()
{
    setPointerDefault(Picture1);
    setPointerDefault(Image1);
    setWidthTwips(Text8, kStatusNarrowTwips);

    Combo2->clear();
    Combo2->setEditText(QStringLiteral("選択"));
    Combo2->addItems({QStringLiteral("選択"), QStringLiteral("登録"), QStringLiteral("削除")});

    // Only a stored "0" hides the gauge. Without the option row the reader
    // gives an empty text, and the gauge then shows as it does for "1".
    const QString option = Module1::LoadMemoryOption(*this);
    Check2->setChecked(option != QLatin1String("0"));

    Module1::LoadCategoryList(*this);
}

void Form1::Command11_Click()
{
    Text8->clear();
    if (m_services.dialogs->askYesNo(this, QStringLiteral("終了しますか？"), kConfirmCaption)) {
        m_ending = true;
        m_services.process->endProgram();
    }
}

void Form1::Command22_Click()
{
    m_ending = true;
    m_services.process->endProgram();
}
