#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QMenu>

#include "catalogue/backup_ops.h"
#include "catalogue/category_ops.h"
#include "catalogue/clearing.h"
#include "catalogue/title_ops.h"
#include "maint/restore_window.h"
#include "platform/dialogs.h"
#include "store/backup.h"
#include "store/catalogue_db.h"
#include "store/export_import.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

// Long lists in a message box are cut here, with the number left out said.
constexpr int kListedLines = 15;

QString listed(const QStringList& lines)
{
    QString text = lines.mid(0, kListedLines).join(QStringLiteral("\n"));
    if (lines.size() > kListedLines)
        text += QStringLiteral("\n…ほか %1 件").arg(lines.size() - kListedLines);
    return text;
}

QString summaryText(const store::transfer::ImportSummary& summary)
{
    QString text = QStringLiteral("追加するカテゴリ：%1 件\n追加するタイトル：%2 件")
                       .arg(summary.categories)
                       .arg(summary.titles);
    if (summary.memos > 0)
        text += QStringLiteral("\n追加する手書きメモ：%1 件").arg(summary.memos);
    if (!summary.existing.isEmpty())
        text += QStringLiteral("\n\nすでにある名前（上書きしません）：%1 件\n%2")
                    .arg(summary.existing.size())
                    .arg(listed(summary.existing));
    if (!summary.unreadable.isEmpty())
        text += QStringLiteral("\n\n読めない行（取り込みません）：%1 件\n%2")
                    .arg(summary.unreadable.size())
                    .arg(listed(summary.unreadable));
    return text;
}

} // namespace

void Form1::buildDataMenu()
{
    // Actions of the window itself, so their shortcuts work wherever the focus
    // is, without a menu bar that would change the window's layout.
    auto makeAction = [this](const QString& caption, const QKeySequence& keys,
                             void (Form1::*slot)()) {
        auto* action = new QAction(caption, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    RestoreAction =
        makeAction(QStringLiteral("バックアップから復元…"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), &Form1::RestoreMenu_Click);
    ExportAction =
        makeAction(QStringLiteral("エクスポート…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                   &Form1::ExportMenu_Click);
    ImportAction =
        makeAction(QStringLiteral("インポート…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
                   &Form1::ImportMenu_Click);
}

void Form1::reloadCatalogue()
{
    const QString category = Combo1->currentText();
    Module1::ClearEditingFields(*this);
    List1->clear();
    Combo2->setEditText(QStringLiteral("選択"));
    Combo1->clear();
    Module1::LoadCategoryList(*this);
    // The category shown before stays shown when it is still there.
    if (Combo1->findText(category, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
        Combo1->setCurrentIndex(
            Combo1->findText(category, Qt::MatchExactly | Qt::MatchCaseSensitive));
        Module1::LoadTitleList(*this);
    }
}

void Form1::RestoreMenu_Click()
{
    auto* window = new RestoreWindow(*this);
    window->show();
}

void Form1::ExportMenu_Click()
{
    OpenFileRequest request;
    request.title = QStringLiteral("エクスポート");
    request.filter = QStringLiteral("JSON（すべての内容）|*.json|CSV（表計算ソフト用）|*.csv");
    request.folder = QDir::homePath();
    request.fileName = QStringLiteral("QUILMO-%1.json")
                           .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    const std::optional<QString> file = m_services.dialogs->saveFile(this, request);
    if (!file)
        return;
    const bool csv = file->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const bool memos =
        !csv && m_services.dialogs->askYesNo(
                    this, QStringLiteral("手書きメモも PNG ファイルとして書き出しますか？"),
                    kConfirmCaption);
    store::transfer::ExportReport report;
    try {
        CatalogueDb db(databasePath());
        report =
            csv ? store::transfer::exportCsv(db, *file)
                : store::transfer::exportJson(
                      db, *file, memos ? store::backup::memoFolderOf(dataFolder()) : QString());
    } catch (const DbError&) {
        report.error = QStringLiteral("カタログを読めません");
    }
    if (!report.error.isEmpty()) {
        Text8->setText(
            QStringLiteral("「エクスポート」でエラーが発生しました（%1）。").arg(report.error));
        return;
    }
    Text8->setText(QStringLiteral("エクスポートしました：カテゴリ %1 件、タイトル %2 件。")
                       .arg(report.categories)
                       .arg(report.titles));
    if (!report.unwritable.isEmpty())
        m_services.dialogs->inform(
            this,
            QStringLiteral("CSV に書けなかった行：%1 件\n%2\n\nJSON ならそのまま書き出せます。")
                .arg(report.unwritable.size())
                .arg(listed(report.unwritable)));
}

void Form1::ImportMenu_Click()
{
    OpenFileRequest request;
    request.title = QStringLiteral("インポート");
    request.filter = QStringLiteral("カタログ（JSON・CSV）|*.json;*.csv");
    request.folder = QDir::homePath();
    const std::optional<QString> file = m_services.dialogs->openFile(this, request);
    if (!file)
        return;
    const store::transfer::ImportData data = store::transfer::readImportFile(*file);
    if (!data.error.isEmpty()) {
        m_services.dialogs->inform(this, QStringLiteral("%1 を取り込めません。\n%2")
                                             .arg(QDir::toNativeSeparators(*file), data.error));
        return;
    }
    store::transfer::ImportSummary plan;
    try {
        CatalogueDb db(databasePath());
        plan = store::transfer::planImport(db, data);
    } catch (const DbError&) {
        Text8->setText(QStringLiteral("「インポート」でエラーが発生しました。"));
        return;
    }
    if (plan.categories + plan.titles + plan.options == 0) {
        m_services.dialogs->inform(this, QStringLiteral("追加するものはありません。\n\n") +
                                             summaryText(plan));
        return;
    }
    Module1::BackupBeforeOperation(*this, QStringLiteral("インポート"));
    if (!m_services.dialogs->askYesNo(
            this, summaryText(plan) + QStringLiteral("\n\nインポートしますか？"), kConfirmCaption))
        return;
    store::transfer::ImportSummary done;
    try {
        CatalogueDb db(databasePath());
        done = store::transfer::runImport(db, data, store::backup::memoFolderOf(dataFolder()));
    } catch (const DbError&) {
        // One transaction: nothing of the file was added.
        Text8->setText(
            QStringLiteral("「インポート」でエラーが発生しました。何も追加していません。"));
        return;
    }
    reloadCatalogue();
    Text8->setText(QStringLiteral("インポートしました：カテゴリ %1 件、タイトル %2 件。")
                       .arg(done.categories)
                       .arg(done.titles));
}
