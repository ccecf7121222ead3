#pragma once

#include <optional>

#include <QListView>
#include <QString>
#include <QStringList>

class TextRowModel;

// A list box of text entries over a plain list of strings, so that tens of
// thousands of entries are handed over in one piece instead of one item
// object each. One entry at most is selected.
//
// chosen() is the list's click: it is raised once for every selection the
// user makes, by a click (the entry already selected included), by pressing
// on one entry and releasing on another, or by the keyboard. What the
// program does to the list (filling, emptying, setCurrentRow) raises nothing.
class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    int count() const;
    // The text of a row; empty outside the list.
    QString text(int row) const;
    const QStringList& items() const;

    // Replaces every entry; nothing is selected afterwards.
    void setItems(QStringList items);
    // The same, each entry with the key of the row it shows (keys[i] for
    // items[i]). Entries added later have no key.
    void setItems(QStringList items, const QList<qint64>& keys);
    // The key given with a row's entry; none for an entry added without one.
    std::optional<qint64> key(int row) const;
    // The first row whose entry carries key, or -1.
    int findKey(qint64 key) const;
    void clear();
    void addItem(const QString& text);
    void addItems(const QStringList& texts);
    // Inserts before row; a row past the end appends.
    void insertItem(int row, const QString& text);

    // The selected row, or -1.
    int selectedRow() const;
    // The selected entry's text, or empty.
    QString selectedText() const;
    // Selects a row as the program does (chosen() is not raised); -1 selects
    // nothing.
    void setCurrentRow(int row);
    // The first row whose text is exactly text, or -1.
    int findRow(const QString& text) const;
    // Where a row stands in the viewport's coordinates.
    QRect rowRect(int row) const;

signals:
    void chosen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TextRowModel* m_model;
    // A left press began in the list and its release is still to come.
    bool m_pressed = false;
    // The row selected before that press.
    int m_rowAtPress = -1;
};
