#include "ui/list_box.h"

#include <algorithm>
#include <optional>

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QMouseEvent>

// The entries as one string list, each with the key of the row it shows when
// the program gave one (Qt::UserRole). Read-only: the user selects entries but
// never edits them.
class TextRowModel final : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_rows.at(index.row());
        if (role == Qt::UserRole && m_keys.at(index.row()))
            return *m_keys.at(index.row());
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

    void reset(QStringList rows, QList<std::optional<qint64>> keys)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_keys = std::move(keys);
        m_keys.resize(m_rows.size());
        endResetModel();
    }

    void insert(int row, const QStringList& texts)
    {
        if (texts.isEmpty())
            return;
        beginInsertRows(QModelIndex(), row, row + int(texts.size()) - 1);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            m_rows.insert(row + i, texts.at(i));
            m_keys.insert(row + i, std::nullopt);
        }
        endInsertRows();
    }

    const QStringList& rows() const { return m_rows; }
    std::optional<qint64> key(int row) const { return m_keys.value(row); }

private:
    QStringList m_rows;
    QList<std::optional<qint64>> m_keys; // as long as m_rows
};

ListBox::ListBox(QWidget* parent) : QListView(parent), m_model(new TextRowModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every entry is one line: the view measures one and lays out the rest
    // from it, which keeps a list of tens of thousands quick to fill.
    setUniformItemSizes(true);
}

int ListBox::count() const
{
    return int(m_model->rows().size());
}

QString ListBox::text(int row) const
{
    return row >= 0 && row < count() ? m_model->rows().at(row) : QString();
}

const QStringList& ListBox::items() const
{
    return m_model->rows();
}

void ListBox::setItems(QStringList items)
{
    m_model->reset(std::move(items), {});
}

void ListBox::setItems(QStringList items, const QList<qint64>& keys)
{
    QList<std::optional<qint64>> kept(keys.cbegin(), keys.cend());
    m_model->reset(std::move(items), std::move(kept));
}

std::optional<qint64> ListBox::key(int row) const
{
    return m_model->key(row);
}

int ListBox::findKey(qint64 key) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_model->key(row) == key)
            return row;
    }
    return -1;
}

void ListBox::clear()
{
    m_model->reset({}, {});
}

void ListBox::addItem(const QString& text)
{
    m_model->insert(count(), {text});
}

void ListBox::addItems(const QStringList& texts)
{
    m_model->insert(count(), texts);
}

void ListBox::insertItem(int row, const QString& text)
{
    m_model->insert(std::clamp(row, 0, count()), {text});
}

int ListBox::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString ListBox::selectedText() const
{
    return text(selectedRow());
}

void ListBox::setCurrentRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (!index.isValid()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

int ListBox::findRow(const QString& text) const
{
    return int(m_model->rows().indexOf(text));
}

QRect ListBox::rowRect(int row) const
{
    return visualRect(m_model->index(row, 0));
}

void ListBox::mousePressEvent(QMouseEvent* event)
{
    m_rowAtPress = selectedRow();
    QListView::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton;
}

void ListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    // The entry under the release is the one chosen, wherever the press
    // began: a press dragged from one entry to another selects the second.
    const QModelIndex released = indexAt(event->position().toPoint());
    if (released.isValid())
        selectionModel()->setCurrentIndex(released, QItemSelectionModel::ClearAndSelect);
    // Released beside the entries, a drag that moved the selection still
    // chose what it left selected.
    if (selectedRow() >= 0 && (released.isValid() || selectedRow() != m_rowAtPress))
        emit chosen();
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = selectedRow();
    QListView::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before)
        emit chosen();
}
