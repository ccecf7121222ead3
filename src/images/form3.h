#pragma once

#include <QString>
#include <QTreeView>
#include <QWidget>

class Form1;
class QComboBox;
class QFileSystemModel;
class QPushButton;

// A tree of the folders of one volume. Its path is the folder last opened in
// it, by a double-click or by the program; merely highlighting a folder does
// not change it.
class FolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Opens folder: shows the tree of its volume root with folder expanded
    // and highlighted. root is the volume the tree starts from.
    void setPath(const QString& root, const QString& folder);

private:
    void openIndex(const QModelIndex& index);
    void reveal();

    QFileSystemModel* m_model;
    QString m_root;
    QString m_path;
};

// The working-folder chooser "作業フォルダの参照": a volume list over a
// folder tree. Opened by the main window (one at a time, not modal) and
// destroyed on "OK" or "キャンセル".
class Form3 : public QWidget {
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
    QPushButton* Command1;
    QPushButton* Command3;

private:
    void listVolumes();
    int volumeIndex(const QString& root);

    Form1& m_form;
    int m_drive = -1;
};
