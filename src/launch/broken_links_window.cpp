#include "launch/broken_links_window.h"

#include <map>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalogue/backup_ops.h"
#include "catalogue/clearing.h"
#include "catalogue/title_ops.h"
#include "platform/dialogs.h"
#include "store/catalogue_db.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

enum Column { CategoryColumn, TitleColumn, FieldColumn, MissingColumn, NewPathColumn };
constexpr int kBrokenRole = Qt::UserRole;
constexpr int kMissingRole = Qt::UserRole + 1;
constexpr int kProposalRole = Qt::UserRole + 2;

const QString kChoose = QStringLiteral("（選んでください）");
const QString kNotFound = QStringLiteral("（見つかりません）");

QString fieldCaption(const MissingLink& missing)
{
    switch (missing.field) {
    case LinkField::LinkTarget:
        return QStringLiteral("リンク先 %1 行目").arg(missing.line + 1);
    case LinkField::Thumbnail:
        return QStringLiteral("サムネイル");
    case LinkField::WorkingFolder:
        break;
    }
    return QStringLiteral("作業フォルダ");
}

QComboBox* candidateBox(QTreeWidget* list, QTreeWidgetItem* item)
{
    return qobject_cast<QComboBox*>(list->itemWidget(item, NewPathColumn));
}

} // namespace

BrokenLinksWindow::BrokenLinksWindow(Form1& form)
    : QWidget(&form, Qt::Window), list(new QTreeWidget(this)), progress(new QProgressBar(this)),
      status(new QLabel(this)), cancelButton(new QPushButton(QStringLiteral("中止"), this)),
      openButton(new QPushButton(QStringLiteral("開く"), this)),
      relinkButton(new QPushButton(QStringLiteral("再リンク…"), this)),
      writeButton(new QPushButton(QStringLiteral("書き込む"), this)), m_form(form)
{
    setWindowTitle(QStringLiteral("リンク切れの確認"));
    resize(760, 400);
    list->setHeaderLabels({QStringLiteral("カテゴリ"), QStringLiteral("タイトル"),
                           QStringLiteral("項目"), QStringLiteral("見つからないもの"),
                           QStringLiteral("新しいパス")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* again = new QPushButton(QStringLiteral("再確認"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cancelButton, openButton, relinkButton, writeButton, again, close})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(progress);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);

    connect(cancelButton, &QPushButton::clicked, this, &BrokenLinksWindow::cancelCheck);
    connect(openButton, &QPushButton::clicked, this, &BrokenLinksWindow::openSelected);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &BrokenLinksWindow::openSelected);
    connect(relinkButton, &QPushButton::clicked, this, &BrokenLinksWindow::proposeFromFolder);
    connect(writeButton, &QPushButton::clicked, this, &BrokenLinksWindow::writeAccepted);
    connect(again, &QPushButton::clicked, this, &BrokenLinksWindow::startCheck);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

BrokenLinksWindow::~BrokenLinksWindow()
{
    stopThread();
}

void BrokenLinksWindow::stopThread()
{
    if (!m_thread)
        return;
    m_cancel->store(true);
    // The thread posts its progress to this window, so it must be done before
    // the window goes; a cancelled check stops at the next title.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void BrokenLinksWindow::startCheck()
{
    stopThread();
    list->clear();
    m_broken.clear();
    m_proposals.clear();
    QList<StoredTitle> titles;
    try {
        CatalogueDb db(m_form.databasePath());
        titles = store::readAllTitles(db);
    } catch (const DbError&) {
        status->setText(QStringLiteral("カタログを読めませんでした。"));
        return;
    }
    status->setText(QStringLiteral("確認しています…"));
    progress->setRange(0, int(titles.size()));
    progress->setValue(0);
    cancelButton->setEnabled(true);
    openButton->setEnabled(false);
    relinkButton->setEnabled(false);
    writeButton->setEnabled(false);

    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_pending = std::make_shared<QList<BrokenTitle>>();
    auto cancel = m_cancel;
    auto pending = m_pending;
    const QString home = QDir::homePath();
    const QString current = QDir::currentPath();
    m_thread = QThread::create([this, titles = std::move(titles), cancel, pending, home, current] {
        *pending = findBrokenLinks(
            titles, home, current,
            [this](qsizetype done, qsizetype) {
                QMetaObject::invokeMethod(
                    this, [this, done] { progress->setValue(int(done)); }, Qt::QueuedConnection);
            },
            cancel.get());
    });
    connect(m_thread, &QThread::finished, this, [this, pending] {
        if (pending != m_pending)
            return;
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        cancelButton->setEnabled(false);
        if (m_cancel->load()) {
            status->setText(QStringLiteral("確認を中止しました。"));
            return;
        }
        m_broken = std::move(*pending);
        showResults();
    });
    m_thread->start();
}

void BrokenLinksWindow::cancelCheck()
{
    if (m_cancel)
        m_cancel->store(true);
}

void BrokenLinksWindow::showResults()
{
    list->clear();
    qsizetype count = 0;
    for (qsizetype b = 0; b < m_broken.size(); ++b) {
        const BrokenTitle& broken = m_broken[b];
        for (qsizetype m = 0; m < broken.missing.size(); ++m) {
            const MissingLink& missing = broken.missing[m];
            auto* item = new QTreeWidgetItem(list);
            item->setText(CategoryColumn, broken.title.record.category);
            item->setText(TitleColumn, broken.title.record.name);
            item->setText(FieldColumn, fieldCaption(missing));
            item->setText(MissingColumn,
                          missing.badAddress
                              ? missing.resolved +
                                    QStringLiteral("（アドレスの形が正しくありません）")
                              : missing.resolved);
            item->setData(CategoryColumn, kBrokenRole, b);
            item->setData(CategoryColumn, kMissingRole, m);
            ++count;
        }
    }
    status->setText(
        m_note +
        (m_broken.isEmpty()
             ? QStringLiteral("リンク切れはありません。")
             : QStringLiteral("リンク切れ: %1 タイトル、%2 件").arg(m_broken.size()).arg(count)));
    m_note.clear();
    list->resizeColumnToContents(CategoryColumn);
    list->resizeColumnToContents(TitleColumn);
    list->resizeColumnToContents(FieldColumn);
    openButton->setEnabled(!m_broken.isEmpty());
    relinkButton->setEnabled(!m_broken.isEmpty());
}

void BrokenLinksWindow::openSelected()
{
    QTreeWidgetItem* item = list->currentItem();
    if (!item)
        return;
    const TitleRecord& title =
        m_broken[item->data(CategoryColumn, kBrokenRole).toLongLong()].title.record;
    // As choosing the category and then the title in the list would.
    m_form.Combo1->setCurrentText(title.category);
    Module1::ClearEditingFields(m_form);
    m_form.Text1->clear();
    Module1::LoadTitleList(m_form);
    const int row = m_form.List1->findRow(title.name);
    if (row < 0) {
        m_form.Text8->setText(kNoTitles);
        return;
    }
    m_form.List1->setCurrentRow(row);
    m_form.List1_Click();
    m_form.activateWindow();
}

void BrokenLinksWindow::proposeFromFolder()
{
    const auto root = m_form.services().dialogs->chooseFolder(
        this, QStringLiteral("移動先を探すフォルダ"), QDir::homePath());
    if (!root)
        return;
    status->setText(QStringLiteral("探しています…"));
    m_proposals = proposeRelinks(m_broken, *root);
    qsizetype next = 0;
    qsizetype found = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        list->removeItemWidget(item, NewPathColumn);
        item->setData(CategoryColumn, Qt::CheckStateRole, QVariant());
        item->setText(NewPathColumn, QString());
        // The proposals follow the rows' order, bad addresses left out.
        const qsizetype b = item->data(CategoryColumn, kBrokenRole).toLongLong();
        const qsizetype m = item->data(CategoryColumn, kMissingRole).toLongLong();
        if (next >= m_proposals.size() || m_proposals[next].brokenIndex != b ||
            m_proposals[next].missing != m_broken[b].missing[m])
            continue;
        const RelinkProposal& proposal = m_proposals[next];
        item->setData(CategoryColumn, kProposalRole, next++);
        if (proposal.candidates.isEmpty()) {
            item->setText(NewPathColumn, kNotFound);
            continue;
        }
        ++found;
        if (proposal.candidates.size() == 1) {
            item->setText(NewPathColumn, proposal.candidates.front());
            item->setCheckState(CategoryColumn, Qt::Checked);
            continue;
        }
        item->setCheckState(CategoryColumn, Qt::Unchecked);
        auto* box = new QComboBox(list);
        box->addItem(kChoose);
        box->addItems(proposal.candidates);
        connect(box, &QComboBox::currentIndexChanged, this, [item](int index) {
            item->setCheckState(CategoryColumn, index > 0 ? Qt::Checked : Qt::Unchecked);
        });
        list->setItemWidget(item, NewPathColumn, box);
    }
    status->setText(QStringLiteral("%1 件の移動先が見つかりました。").arg(found));
    writeButton->setEnabled(found > 0);
}

void BrokenLinksWindow::writeAccepted()
{
    std::map<qsizetype, QList<std::pair<MissingLink, QString>>> chosen;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        const QVariant proposal = item->data(CategoryColumn, kProposalRole);
        if (!proposal.isValid() || item->checkState(CategoryColumn) != Qt::Checked)
            continue;
        const RelinkProposal& p = m_proposals[proposal.toLongLong()];
        QString path = p.candidates.size() == 1 ? p.candidates.front() : QString();
        if (QComboBox* box = candidateBox(list, item); box && box->currentIndex() > 0)
            path = box->currentText();
        if (!path.isEmpty())
            chosen[p.brokenIndex].append({p.missing, path});
    }
    if (chosen.empty())
        return;
    QList<store::TitleRewrite> rewrites;
    for (const auto& [b, paths] : chosen) {
        const StoredTitle& asRead = m_broken[b].title;
        rewrites.append({asRead, relinkedTitle(asRead.record, paths)});
    }
    QList<qint64> written;
    // A wrong folder can re-link many titles at once; the copy lets the user
    // undo it. A failed copy is told on the main window's status line and
    // the accepted write still goes ahead, as with every other operation.
    Module1::BackupBeforeOperation(m_form, QStringLiteral("再リンク"));
    try {
        CatalogueDb db(m_form.databasePath());
        written = store::rewriteTitlesIfUnchanged(db, rewrites);
    } catch (const DbError&) {
        status->setText(QStringLiteral("書き込みでエラーが発生しました。何も書き換えていません。"));
        return;
    }
    const qsizetype skipped = rewrites.size() - written.size();
    // Said again above the fresh check's outcome.
    QString note = QStringLiteral("%1 タイトルを書き換えました。").arg(written.size());
    if (skipped > 0)
        note += QStringLiteral("%1 タイトルは確認の後に変更されたため書き換えていません。")
                    .arg(skipped);
    startCheck();
    m_note = note;
}

void Form1::setUpBrokenLinks()
{
    BrokenLinksAction = new QAction(QStringLiteral("リンク切れの確認…"), this);
    BrokenLinksAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+L")));
    BrokenLinksAction->setShortcutContext(Qt::WindowShortcut);
    addAction(BrokenLinksAction);
    connect(BrokenLinksAction, &QAction::triggered, this, [this] {
        auto* window = qobject_cast<BrokenLinksWindow*>(brokenLinksWindow.data());
        if (!window) {
            window = new BrokenLinksWindow(*this);
            window->setAttribute(Qt::WA_DeleteOnClose);
            brokenLinksWindow = window;
        }
        window->show();
        window->raise();
        window->activateWindow();
        if (!window->checking())
            window->startCheck();
    });
}
