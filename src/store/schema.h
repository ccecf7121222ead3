#pragma once

#include <QString>

// Table and column names of the catalogue file. The names are Japanese, as
// the file has always had them, so other tools and older files agree.
namespace store::schema
{

inline const QString kCategoryTable = QStringLiteral("カテゴリ");
inline const QString kTitleTable = QStringLiteral("タイトル");
inline const QString kOptionTable = QStringLiteral("オプション");

inline const QString kCategoryName = QStringLiteral("カテゴリ名");
inline const QString kTitleName = QStringLiteral("タイトル名");
inline const QString kDescription = QStringLiteral("説明");
inline const QString kThumbnailPath = QStringLiteral("サムネイルパス");
inline const QString kLinkTargets = QStringLiteral("ファイルパス");
inline const QString kWorkingFolder = QStringLiteral("作業フォルダ");
inline const QString kLaunchOptions = QStringLiteral("起動オプション");
inline const QString kOptionName = QStringLiteral("Option_Name");
inline const QString kOptionValue = QStringLiteral("Option_Value");

inline const QString kMemoryOption = QStringLiteral("Memory");

} // namespace store::schema
