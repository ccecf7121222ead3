#include "app/catalogue_choice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "store/pg_database.h"

QString choiceFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("catalogue-choice"));
}

std::optional<QString> choiceError(const QString& choice)
{
    if (!isServerCatalogue(choice))
        return std::nullopt;
    const ConnectionInfo info = readConnectionInfo(choice);
    if (!info.error.isEmpty())
        return QStringLiteral("接続先 %1 を読めません（%2）。").arg(choice, info.error);
    if (info.holdsPassword)
        return QStringLiteral("接続先にパスワードを書かないでください。パスワードは "
                              "~/.pgpass か環境変数 PGPASSWORD に置きます。");
    return std::nullopt;
}

QString chooseCatalogue(const QString& dataFolder, const QString& given)
{
    if (given.isEmpty()) {
        QFile remembered(choiceFilePath(dataFolder));
        if (!remembered.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(remembered.readAll()).trimmed();
    }
    const QString choice =
        isServerCatalogue(given) ? given.trimmed() : QFileInfo(given).absoluteFilePath();
    QDir().mkpath(dataFolder);
    QSaveFile remembered(choiceFilePath(dataFolder));
    if (remembered.open(QIODevice::WriteOnly)) {
        remembered.write(choice.toUtf8() + '\n');
        remembered.commit();
    }
    return choice;
}

QString serverFailureText(const QString& catalogue, const QString& error)
{
    return QStringLiteral("カタログのデータベース %1 を開けません。\n%2\n"
                          "このままではカテゴリやタイトルの操作はすべてエラーになります。"
                          "サーバーが動いているか、接続先が正しいかを確かめてから"
                          "起動し直してください。")
        .arg(catalogue, error);
}

QString foreignDatabaseText()
{
    return QStringLiteral("このデータベースには QUILMO のカタログではない表があるか、"
                          "別の版のカタログが入っています。データベースは変更せず、"
                          "そのまま残します。空のデータベースを指定すれば、カタログを作成します。");
}
