#include "catalogue/backup_ops.h"

#include <QLineEdit>

#include "store/backup.h"
#include "ui/main/form1.h"

namespace
{

void reportFailure(Form1& form, const QString& error)
{
    form.Text8->setText(QStringLiteral("バックアップを作成できませんでした（%1）。").arg(error));
}

} // namespace

namespace Module1
{

bool BackupBeforeOperation(Form1& form, const QString& reason)
{
    const store::backup::BackupResult result =
        store::backup::takeBackup(form.dataFolder(), store::backup::Kind::Operation, reason);
    if (!result.info)
        reportFailure(form, result.error);
    return result.info.has_value();
}

void BackupDailyIfDue(Form1& form)
{
    const std::optional<store::backup::BackupResult> result =
        store::backup::takeDailyBackupIfDue(form.dataFolder());
    if (result && !result->info)
        reportFailure(form, result->error);
}

} // namespace Module1
