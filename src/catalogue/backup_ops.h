#pragma once

#include <QString>

class Form1;

// The backups the window takes without being asked (store/backup.h). A backup
// that fails is told on the status line and stops nothing: the operation
// still asks its own question and the user decides.
namespace Module1
{

// A backup of the present state before an operation that cannot be undone,
// recorded with reason (カテゴリ「…」の削除, ドライブ変換, …). False when it failed.
bool BackupBeforeOperation(Form1& form, const QString& reason);
// The day's backup, taken before the first write of the day.
void BackupDailyIfDue(Form1& form);

} // namespace Module1
