#include "maint/restore_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "store/backup.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

const QString kDateFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");

} // namespace

RestoreWindow::RestoreWindow(Form1& form) : QDialog(&form), m_form(form)
{
    setWindowTitle(QStringLiteral("バックアップから復元"));
    setAttribute(Qt::WA_DeleteOnClose);
    List = new QTreeWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setHeaderLabels({QStringLiteral("日時"), QStringLiteral("理由"),
                           QStringLiteral("カテゴリ"), QStringLiteral("タイトル")});
    List->setRootIsDecorated(false);
    List->setAllColumnsShowFocus(true);
    List->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RestoreButton = new QPushButton(QStringLiteral("復元"), this);
    CloseButton = new QPushButton(QStringLiteral("閉じる"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RestoreButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addLayout(buttons);
    resize(620, 360);
    connect(RestoreButton, &QPushButton::clicked, this, &RestoreWindow::restoreSelected);
    connect(List, &QTreeWidget::itemDoubleClicked, this, &RestoreWindow::restoreSelected);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    refresh();
}

void RestoreWindow::refresh()
{
    List->clear();
    for (const store::backup::BackupInfo& info : store::backup::listBackups(m_form.dataFolder())) {
        auto* item = new QTreeWidgetItem(List, {info.when.toString(kDateFormat), info.reason,
                                                QString::number(info.categories),
                                                QString::number(info.titles)});
        item->setData(0, Qt::UserRole, info.name);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (List->topLevelItemCount() > 0)
        List->setCurrentItem(List->topLevelItem(0));
    RestoreButton->setEnabled(List->topLevelItemCount() > 0);
}

void RestoreWindow::restoreSelected()
{
    const QTreeWidgetItem* item = List->currentItem();
    if (!item)
        return;
    Dialogs& dialogs = *m_form.services().dialogs;
    if (!dialogs.askYesNo(
            this,
            QStringLiteral("%1 のバックアップ（%2、カテゴリ %3 件、タイトル %4 件）から"
                           "復元しますか？\r\nいまのカタログと手書きメモは、"
                           "先にバックアップしてから置き換えます。")
                .arg(item->text(0), item->text(1), item->text(2), item->text(3)),
            kConfirmCaption))
        return;
    const QString error =
        store::backup::restoreBackup(m_form.dataFolder(), item->data(0, Qt::UserRole).toString());
    m_form.reloadCatalogue();
    refresh();
    if (!error.isEmpty()) {
        m_form.Text8->setText(error);
        dialogs.inform(this, error);
        return;
    }
    m_form.Text8->setText(QStringLiteral("バックアップから復元しました。"));
}
