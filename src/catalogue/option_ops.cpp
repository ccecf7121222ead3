#include "catalogue/option_ops.h"

#include <QCheckBox>
#include <QLineEdit>

#include "catalogue/backup_ops.h"
#include "store/catalogue_db.h"
#include "store/field_text.h"
#include "store/option_queries.h"
#include "ui/main/form1.h"
#include "ui/messages.h"
#include "ui/twips.h"

namespace Module1
{

QString LoadMemoryOption(Form1& form)
{
    std::optional<QString> stored;
    try {
        CatalogueDb db(form.databasePath());
        stored = store::readMemoryOption(db);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「オプションの取得」でエラーが発生しています。"));
        return QStringLiteral("1");
    }
    if (!stored) {
        form.Text8->setText(QStringLiteral("オプション・データがありません。"));
        return QString();
    }
    setWidthTwips(form.Text8,
                  form.Check2->isChecked() ? Form1::kStatusNarrowTwips : Form1::kStatusWideTwips);
    return leftTrimSpaces(*stored) == QLatin1String("0") ? QStringLiteral("0")
                                                         : QStringLiteral("1");
}

void SaveMemoryOption(Form1& form, const QString& value)
{
    BackupDailyIfDue(form);
    try {
        CatalogueDb db(form.databasePath());
        if (store::writeMemoryOption(db, value))
            form.Text8->setText(QStringLiteral("オプションを正常に更新しました。"));
        else
            form.Text8->setText(kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「オプション更新」でエラーが発生しました。"));
    }
}

} // namespace Module1
