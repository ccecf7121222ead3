#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <QTreeView>
#include <QWidget>

class Form1;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;

// The folders of one volume for the chooser's tree: the volume's root as the
// one entry at the top, so that the root itself can be opened and taken, and
// every folder below it. The open folder is marked (bold, open-folder icon).
class VolumeFolders : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit VolumeFolders(QObject* parent = nullptr);

    QFileSystemModel* files() const { return m_files; }
    // Shows the volume whose root is root (a cleaned absolute path).
    void setVolume(const QString& root);
    // Marks folder as the open one.
    void setOpenFolder(const QString& folder);

    // The entry of path, invalid when the model has not read it (yet) or it
    // lies outside the volume.
    QModelIndex indexOf(const QString& path) const;
    QString pathOf(const QModelIndex& index) const;
    // Where a view of this model starts: the parent of the volume's root.
    QModelIndex top() const;

    QVariant data(const QModelIndex& index, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    void markChanged(const QString& folder);

    QFileSystemModel* m_files;
    QString m_root;
    QString m_open;
};

// A tree of the folders of one volume. Its path is the folder last opened in
// it, by a double-click or by the program; merely highlighting a folder does
// not change it. The open folder stays marked and is scrolled into view
// whenever it is opened.
class FolderTree : public QTreeView
{
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Opens folder: shows the tree of its volume root with folder expanded,
    // marked and highlighted. root is the volume the tree starts from.
    void setPath(const QString& root, const QString& folder);

    // The tree's entry of path; invalid until the model has read it.
    QModelIndex indexOf(const QString& path) const { return m_folders->indexOf(path); }
    QString pathOf(const QModelIndex& index) const { return m_folders->pathOf(index); }

signals:
    void pathChanged(const QString& path);

private:
    void openIndex(const QModelIndex& index);
    void reveal();

    VolumeFolders* m_folders;
    QString m_root;
    QString m_path;
};

// The working-folder chooser "作業フォルダの参照": a volume list over a
// folder tree. Opened by the main window (one at a time, not modal) and
// destroyed on "OK" or "キャンセル".
class Form3 : public QWidget
{
    Q_OBJECT
public:
    // Starts at folder, on the volume that holds it.
    Form3(Form1& form, const QString& folder);

    static constexpr int kWidthTwips = 4620;
    static constexpr int kHeightTwips = 3450;

    // Opens folder again in a chooser that is already up.
    void openFolder(const QString& folder);

    void Drive1_Change();
    void Command1_Click();
    void Command3_Click();

    QComboBox* Drive1;
    FolderTree* Dir1;
    // The open folder, the one "OK" takes, spelled out.
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command3;

private:
    void listVolumes();
    void showOpenFolder(const QString& folder);
    int volumeIndex(const QString& root);

    Form1& m_form;
    int m_drive = -1;
};
