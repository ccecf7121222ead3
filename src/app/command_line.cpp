#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("QUILMO: 文書・プログラム・ホームページのカタログとランチャー"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("このヘルプを表示します。"));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("バージョンを表示します。"));
    const QCommandLineOption dataFolder(
        QStringLiteral("data-folder"),
        QStringLiteral("カタログ QUILMO.mdb と 手書きメモ/ を置くフォルダ（無ければ作成します）。"),
        QStringLiteral("DIR"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(dataFolder);
    const QCommandLineOption listBackups(QStringLiteral("list-backups"),
                                         QStringLiteral("バックアップの一覧を表示します。"));
    const QCommandLineOption restore(
        QStringLiteral("restore"),
        QStringLiteral("バックアップ NAME からカタログと手書きメモを復元します。"), QStringLiteral("NAME"));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("カタログを FILE（.json または .csv）に書き出します。"), QStringLiteral("FILE"));
    parser.addOption(listBackups);
    parser.addOption(restore);
    parser.addOption(exportTo);

    CommandLine result;
    const QString name = QCoreApplication::applicationName();
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        result.text = QStringLiteral("%1: %2\n").arg(name, parser.errorText());
    } else if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        // The parser names the program after the application object, which
        // does not exist yet; the name is the first argument's.
        result.text = parser.helpText();
        const qsizetype nameEnd = result.text.indexOf(QLatin1Char(' '), 7);
        if (result.text.startsWith(QStringLiteral("Usage: ")) && nameEnd > 0 &&
            !arguments.isEmpty())
            result.text.replace(7, nameEnd - 7, QFileInfo(arguments.first()).fileName());
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QStringLiteral("%1 %2\n").arg(name, QCoreApplication::applicationVersion());
    } else if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.text = QStringLiteral("%1: 余分な引数です: %2\n")
                          .arg(name, parser.positionalArguments().join(QLatin1Char(' ')));
    } else if (parser.isSet(dataFolder) && parser.value(dataFolder).isEmpty()) {
        // An empty name would silently mean the current folder.
        result.action = CommandLine::Action::Fail;
        result.text =
            QStringLiteral("%1: --data-folder にフォルダを指定してください。\n").arg(name);
    } else {
        result.dataFolder = parser.value(dataFolder);
        result.listBackups = parser.isSet(listBackups);
        result.restoreName = parser.value(restore);
        result.exportFile = parser.value(exportTo);
        if (result.listBackups || parser.isSet(restore) || parser.isSet(exportTo))
            result.action = CommandLine::Action::DataCommand;
    }
    return result;
}
