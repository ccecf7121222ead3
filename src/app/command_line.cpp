#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "app/catalogue_choice.h"

namespace
{

// The options QGuiApplication and QApplication take from the command line
// themselves. Session managers add -session when they restore a desktop, so
// refusing them would keep the program from coming back.
const char* const kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};
// Only these also take their value after "=".
const char* const kQtOptionsWithJoinedValue[] = {"style", "stylesheet", "qmljsdebugger"};

bool isOneOf(QStringView name, const auto& names)
{
    for (const char* candidate : names)
        if (name == QLatin1String(candidate))
            return true;
    return false;
}

// The arguments without Qt's own options and their values. Qt reads its
// options with one dash or two.
QStringList withoutQtOptions(const QStringList& arguments)
{
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QStringView name(argument);
        if (i == 0 || !name.startsWith(QLatin1Char('-')) || name == QLatin1String("--")) {
            rest << argument;
            continue;
        }
        name = name.mid(name.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const QStringView key = equals < 0 ? name : name.left(equals);
        if (equals >= 0) {
            if (isOneOf(key, kQtOptionsWithJoinedValue))
                continue;
        } else if (isOneOf(key, kQtFlags)) {
            continue;
        } else if (isOneOf(key, kQtOptionsWithValue)) {
            if (i + 1 < arguments.size())
                ++i;
            continue;
        }
        rest << argument;
    }
    return rest;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("QUILMO: 文書・プログラム・ホームページのカタログとランチャー\n"
                       "Qt の標準オプション（-style、-platform、-reverse など）も使えます。"));
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
        QStringLiteral("バックアップ NAME からカタログと手書きメモを復元します。"),
        QStringLiteral("NAME"));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("カタログを FILE（.json または .csv）に書き出します。"),
        QStringLiteral("FILE"));
    parser.addOption(listBackups);
    parser.addOption(restore);
    parser.addOption(exportTo);
    const QCommandLineOption catalogue(
        QStringLiteral("catalogue"),
        QStringLiteral("開くカタログ: ファイルのパス、または PostgreSQL の接続先"
                       "（postgresql://ユーザー@ホスト/データベース か key=value の形）。"
                       "次からの起動も同じカタログを開きます。"),
        QStringLiteral("PATH|URI"));
    const QCommandLineOption copyCatalogue(
        QStringLiteral("copy-catalogue"),
        QStringLiteral("カタログ FROM を TO（カタログの無いファイルかデータベース）に、"
                       "手書きメモも含めて丸ごとコピーします: --copy-catalogue FROM TO"),
        QStringLiteral("FROM"));
    parser.addOption(catalogue);
    parser.addOption(copyCatalogue);

    CommandLine result;
    const QString name = QCoreApplication::applicationName();
    if (!parser.parse(withoutQtOptions(arguments))) {
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
    } else if (parser.isSet(copyCatalogue)) {
        const QStringList rest = parser.positionalArguments();
        if (rest.size() != 1 || parser.value(copyCatalogue).isEmpty() || rest.first().isEmpty()) {
            result.action = CommandLine::Action::Fail;
            result.text = QStringLiteral("%1: --copy-catalogue FROM TO の形で、コピー元とコピー先を"
                                         "指定してください。\n")
                              .arg(name);
        } else if (const auto error = choiceError(rest.first())) {
            result.action = CommandLine::Action::Fail;
            result.text = QStringLiteral("%1: %2\n").arg(name, *error);
        } else {
            result.action = CommandLine::Action::DataCommand;
            result.dataFolder = parser.value(dataFolder);
            result.copyFrom = parser.value(copyCatalogue);
            result.copyTo = rest.first();
        }
    } else if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.text = QStringLiteral("%1: 余分な引数です: %2\n")
                          .arg(name, parser.positionalArguments().join(QLatin1Char(' ')));
    } else if (parser.isSet(dataFolder) && parser.value(dataFolder).isEmpty()) {
        // An empty name would silently mean the current folder.
        result.action = CommandLine::Action::Fail;
        result.text =
            QStringLiteral("%1: --data-folder にフォルダを指定してください。\n").arg(name);
    } else if (parser.isSet(catalogue) && parser.value(catalogue).trimmed().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.text =
            QStringLiteral("%1: --catalogue にカタログのパスか接続先を指定してください。\n")
                .arg(name);
    } else if (const auto error = choiceError(parser.value(catalogue))) {
        result.action = CommandLine::Action::Fail;
        result.text = QStringLiteral("%1: %2\n").arg(name, *error);
    } else {
        result.dataFolder = parser.value(dataFolder);
        result.catalogue = parser.value(catalogue);
        result.listBackups = parser.isSet(listBackups);
        result.restoreName = parser.value(restore);
        result.exportFile = parser.value(exportTo);
        if (result.listBackups || parser.isSet(restore) || parser.isSet(exportTo))
            result.action = CommandLine::Action::DataCommand;
    }
    return result;
}
