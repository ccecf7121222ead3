#include "images/form3.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>

#include "ui/main/form1.h"
#include "ui/twips.h"

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setReadOnly(true);
    setModel(m_model);
    // Only the names: size, type and date say nothing about a folder here.
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeView::doubleClicked, this, &FolderTree::openIndex);
    // The model reads folders in the background; the open folder can only be
    // shown once its parent has been read.
    // Only the open folder's own parent counts: the user's browsing elsewhere
    // must not pull the highlight back.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (QDir::cleanPath(loaded) == QFileInfo(m_path).absolutePath())
            reveal();
    });
    // It also sorts a freshly read folder a moment later, which moves the
    // rows away from where the view was scrolled to.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (currentIndex().isValid())
            scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void FolderTree::setPath(const QString& root, const QString& folder)
{
    m_path = QDir::cleanPath(folder);
    if (root != m_root) {
        m_root = root;
        m_model->setRootPath(root);
        setRootIndex(m_model->index(root));
    }
    reveal();
}

void FolderTree::reveal()
{
    const QModelIndex index = m_model->index(m_path);
    if (index.isValid() && index != rootIndex()) {
        expand(index);
        setCurrentIndex(index);
        scrollTo(index, QAbstractItemView::PositionAtCenter);
    } else {
        clearSelection();
    }
}

void FolderTree::openIndex(const QModelIndex& index)
{
    if (index.isValid())
        setPath(m_root, m_model->filePath(index));
}

namespace {

// The volume that holds folder; the file system root when none is known.
QString volumeRoot(const QString& folder)
{
    const QStorageInfo volume(folder);
    return volume.isValid() ? volume.rootPath() : QDir::rootPath();
}

} // namespace

Form3::Form3(Form1& form, const QString& folder)
    : QWidget(&form, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_form(form)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("作業フォルダの参照"));
    setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    placeTwips(Drive1, 60, 60, 4500, 315);
    Dir1 = new FolderTree(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    placeTwips(Dir1, 60, 435, 4500, 2415);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeTwips(Command1, 2160, 2955, 1140, 375);
    Command3 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setAutoDefault(false);
    placeTwips(Command3, 3420, 2955, 1140, 375);

    listVolumes();
    openFolder(folder);

    // activated, not currentIndexChanged: only the user's choice of a volume
    // moves the tree, never the program's own selection.
    connect(Drive1, &QComboBox::activated, this, &Form3::Drive1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
}

void Form3::listVolumes()
{
    // The file system root first, then the other mounted volumes by path.
    QStringList roots{QDir::rootPath()};
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo& volume : volumes) {
        // Bind mounts of single files are no place to work in.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
            !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    for (const QString& root : roots) {
        const QString name = QStorageInfo(root).displayName();
        Drive1->addItem(name.isEmpty() || name == root ? root
                                                       : QStringLiteral("%1  [%2]").arg(root, name),
                        root);
    }
}

int Form3::volumeIndex(const QString& root)
{
    int index = Drive1->findData(root);
    if (index < 0) {
        // A volume the list did not know (mounted since): add it.
        Drive1->addItem(root, root);
        index = Drive1->count() - 1;
    }
    return index;
}

void Form3::openFolder(const QString& folder)
{
    const QString root = volumeRoot(folder);
    m_drive = volumeIndex(root);
    Drive1->setCurrentIndex(m_drive);
    Dir1->setPath(root, folder);
}

void Form3::Drive1_Change()
{
    // The list reports a pick of the volume already shown too; that is no
    // change, and the opened folder stays.
    if (Drive1->currentIndex() == m_drive)
        return;
    const QString root = Drive1->currentData().toString();
    const QFileInfo info(root);
    if (!info.isDir() || !info.isReadable() || !QDir::setCurrent(root)) {
        // A volume that went away or cannot be read: stay where we were.
        Drive1->setCurrentIndex(m_drive);
        return;
    }
    m_drive = Drive1->currentIndex();
    Dir1->setPath(root, root);
}

void Form3::Command1_Click()
{
    m_form.Text6->setText(Dir1->path());
    close();
}

void Form3::Command3_Click()
{
    close();
}
