#include "images/form3.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>

#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/twips.h"

namespace
{

// True when path is folder itself or lies below it.
bool isInside(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

} // namespace

VolumeFolders::VolumeFolders(QObject* parent)
    : QSortFilterProxyModel(parent), m_files(new QFileSystemModel(this))
{
    m_files->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_files->setReadOnly(true);
    setSourceModel(m_files);
}

void VolumeFolders::setVolume(const QString& root)
{
    m_root = QDir::cleanPath(root);
    m_files->setRootPath(m_root);
    invalidateFilter();
}

void VolumeFolders::setOpenFolder(const QString& folder)
{
    const QString before = m_open;
    m_open = QDir::cleanPath(folder);
    markChanged(before);
    markChanged(m_open);
}

void VolumeFolders::markChanged(const QString& folder)
{
    const QModelIndex index = indexOf(folder);
    if (index.isValid())
        emit dataChanged(index, index, {Qt::FontRole, Qt::DecorationRole});
}

QModelIndex VolumeFolders::indexOf(const QString& path) const
{
    if (m_root.isEmpty() || !isInside(QDir::cleanPath(path), m_root))
        return {};
    return mapFromSource(m_files->index(QDir::cleanPath(path)));
}

QString VolumeFolders::pathOf(const QModelIndex& index) const
{
    return index.isValid() ? QDir::cleanPath(m_files->filePath(mapToSource(index))) : QString();
}

QModelIndex VolumeFolders::top() const
{
    // The file system root has no parent folder: the model's own top holds it.
    return mapFromSource(m_files->index(m_root).parent());
}

QVariant VolumeFolders::data(const QModelIndex& index, int role) const
{
    if ((role == Qt::FontRole || role == Qt::DecorationRole) && index.column() == 0 &&
        !m_open.isEmpty() && pathOf(index) == m_open) {
        if (role == Qt::DecorationRole)
            return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
        QFont font = QSortFilterProxyModel::data(index, role).value<QFont>();
        font.setBold(true);
        return font;
    }
    return QSortFilterProxyModel::data(index, role);
}

bool VolumeFolders::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_root.isEmpty())
        return true;
    const QString path =
        QDir::cleanPath(m_files->filePath(m_files->index(sourceRow, 0, sourceParent)));
    // The volume and what lies in it, and the folders above it that lead
    // there; the volume's neighbours belong to other volumes or none.
    return isInside(path, m_root) || isInside(m_root, path);
}

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), m_folders(new VolumeFolders(this))
{
    setModel(m_folders);
    // Only the names: size, type and date say nothing about a folder here.
    for (int column = 1; column < m_folders->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeView::doubleClicked, this, &FolderTree::openIndex);
    // The model reads folders in the background; the open folder can only be
    // shown once its parent has been read.
    // Only the open folder's own parent counts: the user's browsing elsewhere
    // must not pull the view back.
    connect(m_folders->files(), &QFileSystemModel::directoryLoaded, this,
            [this](const QString& loaded) {
                if (QDir::cleanPath(loaded) == QFileInfo(m_path).absolutePath() ||
                    QDir::cleanPath(loaded) == m_path)
                    reveal();
            });
    // It also sorts a freshly read folder a moment later, which moves the
    // rows away from where the view was scrolled to.
    connect(m_folders, &QAbstractItemModel::layoutChanged, this, [this] {
        const QModelIndex open = m_folders->indexOf(m_path);
        if (open.isValid())
            scrollTo(open, QAbstractItemView::PositionAtCenter);
    });
}

void FolderTree::setPath(const QString& root, const QString& folder)
{
    m_path = QDir::cleanPath(folder);
    if (root != m_root) {
        m_root = root;
        m_folders->setVolume(root);
        setRootIndex(m_folders->top());
    }
    m_folders->setOpenFolder(m_path);
    reveal();
    emit pathChanged(m_path);
}

void FolderTree::reveal()
{
    const QModelIndex index = m_folders->indexOf(m_path);
    if (!index.isValid()) {
        clearSelection();
        return;
    }
    expand(index);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FolderTree::openIndex(const QModelIndex& index)
{
    if (index.isValid())
        setPath(m_root, m_folders->pathOf(index));
}

namespace
{

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
    useDesignFont(this);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    placeTwips(Drive1, 60, 60, 4500, 315);
    Dir1 = new FolderTree(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    placeTwips(Dir1, 60, 435, 4500, 2415);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    placeTwips(Label1, 60, 2955, 2040, 375);
    connect(Dir1, &FolderTree::pathChanged, this, &Form3::showOpenFolder);
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

void Form3::showOpenFolder(const QString& folder)
{
    // A deep folder does not fit beside the buttons; its both ends tell most.
    Label1->setText(Label1->fontMetrics().elidedText(folder, Qt::ElideMiddle, Label1->width()));
    Label1->setToolTip(folder);
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
