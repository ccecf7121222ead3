#include "catalogue/search_all_window.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "catalogue/clearing.h"
#include "catalogue/title_ops.h"
#include "store/catalogue_db.h"
#include "ui/list_box.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

// The hits as two columns, handed over in one piece: a search that finds
// tens of thousands of titles shows at the speed of its query.
class FoundTitleModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHits(QList<FoundTitle> hits)
    {
        beginResetModel();
        m_hits = std::move(hits);
        endResetModel();
    }
    const QList<FoundTitle>& hits() const { return m_hits; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_hits.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_hits.size())
            return {};
        const FoundTitle& hit = m_hits[index.row()];
        return index.column() == 0 ? hit.category : hit.name;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("カテゴリ") : QStringLiteral("タイトル");
    }

private:
    QList<FoundTitle> m_hits;
};

SearchAllWindow::SearchAllWindow(Form1& form)
    : QDialog(&form), m_form(form), m_model(new FoundTitleModel(this))
{
    setObjectName(QStringLiteral("SearchAllWindow"));
    setWindowTitle(QStringLiteral("全カテゴリ検索"));
    setModal(false);
    SearchText = new QLineEdit(this);
    SearchText->setObjectName(QStringLiteral("SearchText"));
    SearchButton = new QPushButton(QStringLiteral("検索"), this);
    SearchButton->setObjectName(QStringLiteral("SearchButton"));
    SearchButton->setAutoDefault(false);
    Results = new QTreeView(this);
    Results->setObjectName(QStringLiteral("Results"));
    Results->setModel(m_model);
    Results->setRootIsDecorated(false);
    Results->setUniformRowHeights(true);
    Results->setAllColumnsShowFocus(true);
    Results->setSelectionBehavior(QAbstractItemView::SelectRows);
    Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Results->header()->resizeSection(0, 150);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(SearchText);
    searchRow->addWidget(SearchButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(Results);
    layout->addWidget(Status);
    resize(460, 380);

    connect(SearchButton, &QPushButton::clicked, this, &SearchAllWindow::Search);
    connect(SearchText, &QLineEdit::returnPressed, this, &SearchAllWindow::Search);
    // A click chooses, as in List1; Enter on the current row does too.
    connect(Results, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { Choose(index.row()); });
    connect(Results, &QTreeView::activated, this,
            [this](const QModelIndex& index) { Choose(index.row()); });
}

const QList<FoundTitle>& SearchAllWindow::hits() const
{
    return m_model->hits();
}

void SearchAllWindow::Search()
{
    QList<FoundTitle> hits;
    try {
        CatalogueDb db(m_form.databasePath());
        hits = store::searchAllTitles(db, SearchText->text());
    } catch (const DbError&) {
        Status->setText(QStringLiteral("「全カテゴリ検索」でエラーが発生しています。"));
        return;
    }
    // Unlike the narrowing search, nothing stays listed from before: every
    // row here would otherwise have to be told apart from the hits.
    Status->setText(hits.isEmpty() ? QStringLiteral("検索結果が０件です。")
                                   : QStringLiteral("%1 件").arg(hits.size()));
    m_model->setHits(std::move(hits));
}

void SearchAllWindow::Choose(int row)
{
    if (row < 0 || row >= m_model->hits().size())
        return;
    const FoundTitle hit = m_model->hits()[row];
    Form1& form = m_form;

    // The category's own entry when the list holds it, so the category is
    // found by its row as a picked entry is; its name otherwise.
    int entry = -1;
    for (int i = 0; hit.categoryRow && i < form.Combo1->count(); ++i) {
        const QVariant listed = form.Combo1->itemData(i);
        if (listed.isValid() && listed.toLongLong() == *hit.categoryRow) {
            entry = i;
            break;
        }
    }
    if (entry >= 0) {
        form.Combo1->setCurrentIndex(entry);
        form.Combo1->setEditText(form.Combo1->itemText(entry));
    } else {
        form.Combo1->setEditText(hit.category);
    }

    // What 選択 does after 決定, without changing the mode box.
    form.Text8->clear();
    Module1::ClearEditingFields(form);
    setPointerDefault(form.Picture1);
    setPointerDefault(form.Image1);
    Module1::LoadTitleList(form);
    form.Text1->clear();

    const int listed = Module1::ListedTitleIndex(form, hit.row);
    if (listed < 0) {
        // Deleted or moved to another category since the search.
        form.Text8->setText(kNoTitles);
        return;
    }
    form.List1->setCurrentRow(listed);
    form.List1->scrollTo(form.List1->model()->index(listed, 0));
    form.List1_Click();
}

void Form1::buildSearchAllAction()
{
    // An action of the window itself, so its shortcut works wherever the focus
    // is in it, without a menu bar that would change the window's layout.
    SearchAllAction = new QAction(QStringLiteral("全カテゴリ検索…"), this);
    SearchAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    SearchAllAction->setShortcutContext(Qt::WindowShortcut);
    addAction(SearchAllAction);
    connect(SearchAllAction, &QAction::triggered, this, &Form1::SearchAllMenu_Click);
}

void Form1::SearchAllMenu_Click()
{
    auto* window = findChild<SearchAllWindow*>();
    if (!window)
        window = new SearchAllWindow(*this);
    window->show();
    window->raise();
    window->activateWindow();
    window->SearchText->setFocus();
    window->SearchText->selectAll();
}
