#pragma once

#include <QString>

// Words that several procedures show the same way, kept in one place so that
// they cannot drift apart.

// The row asked for is not there: after a search, a deletion, an option read
// and a conversion.
inline const QString kRecordNotFound = QStringLiteral("レコードが見つかりません。");
inline const QString kDeleted = QStringLiteral("正常に削除しました。");
// A category, or the whole catalogue, holds no title to show.
inline const QString kNoTitles = QStringLiteral("タイトル・データがありません。");
// The caption of every yes/no question.
inline const QString kConfirmCaption = QStringLiteral("確認!");
