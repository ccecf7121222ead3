#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "images/file_dialogs.h"
#include "images/image_files.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"

namespace
{

// Where a drop lands decides what it becomes.
enum class Place { Editor, Thumbnail, TitleList };

struct Dropped {
    QString target;
    bool web = false;
};

// A web address as a browser's address bar offers it in plain text.
bool isDroppedWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

// What a drop offers as link targets, in the order given: local files and
// folders as paths, other addresses as their text. Plain text counts only
// when every line of it is a web address, so text dragged into a field is
// still typed there.
QList<Dropped> droppedTargets(const QMimeData& mime)
{
    QList<Dropped> targets;
    for (const QUrl& url : mime.urls()) {
        if (url.isLocalFile()) {
            QString path = url.toLocalFile();
            // A folder's address may end in a separator; the name the title
            // takes is the folder's own.
            while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
                path.chop(1);
            if (!path.isEmpty())
                targets.push_back({path, false});
        } else if (url.isValid() && !url.scheme().isEmpty()) {
            targets.push_back({url.toString(), true});
        }
    }
    if (!targets.isEmpty() || !mime.hasText())
        return targets;
    for (const QString& line : mime.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        const QUrl url(text, QUrl::StrictMode);
        if (!isDroppedWebAddress(url))
            return {};
        targets.push_back({url.toString(), true});
    }
    return targets;
}

// The kinds the thumbnail's Open dialog offers.
bool isThumbnailPicture(const Dropped& dropped)
{
    if (dropped.web || !QFileInfo(dropped.target).isFile())
        return false;
    for (const char* kind : {"bmp", "jpg", "wmf", "png"}) {
        if (endsWithExtension(dropped.target, QLatin1String(kind)))
            return true;
    }
    return false;
}

// The editor holds a title of the list while the list's selection is the
// title being edited; a cleared editor or a name typed anew is no title.
bool titleLoaded(const Form1& form)
{
    return form.List1->selectedRow() >= 0 && form.List1->selectedText() == form.Text2->text();
}

class DropFilter final : public QObject
{
public:
    explicit DropFilter(Form1& form) : QObject(&form), m_form(form) {}

    void watch(QWidget* widget, Place place)
    {
        widget->setAcceptDrops(true);
        widget->installEventFilter(this);
        m_places.insert(widget, place);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        const auto place = m_places.constFind(watched);
        if (place == m_places.constEnd())
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<Dropped> offered = droppedTargets(*drop->mimeData());
        if (offered.isEmpty())
            return false;
        const QList<Dropped> targets = usable(*place, offered);
        // A move would let the file manager delete what it thinks was moved
        // here: only copies and links are taken.
        Qt::DropAction action = Qt::IgnoreAction;
        if (drop->possibleActions() & Qt::CopyAction)
            action = Qt::CopyAction;
        else if (drop->possibleActions() & Qt::LinkAction)
            action = Qt::LinkAction;
        if (action == Qt::IgnoreAction)
            return false;
        if (targets.isEmpty()) {
            // A drag entering is offered to the widgets behind until one
            // takes it, and the window would take these as link targets.
            // Claimed here with nothing to do, the drag is refused instead.
            if (type == QEvent::DragEnter) {
                drop->setDropAction(Qt::IgnoreAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
        drop->setDropAction(action);
        drop->accept();
        if (type == QEvent::Drop)
            take(*place, targets);
        return true;
    }

private:
    // What place takes of the targets offered; nothing where the drop is
    // refused.
    QList<Dropped> usable(Place place, const QList<Dropped>& targets) const
    {
        if (place == Place::TitleList && titleLoaded(m_form))
            return {};
        if (place == Place::Thumbnail) {
            const auto picture = std::find_if(targets.cbegin(), targets.cend(), isThumbnailPicture);
            return picture == targets.cend() ? QList<Dropped>{} : QList<Dropped>{*picture};
        }
        return targets;
    }

    void take(Place place, const QList<Dropped>& targets)
    {
        m_form.Text8->clear();
        if (place == Place::Thumbnail) {
            Module1::UseThumbnail(m_form, targets.front().target);
            return;
        }
        const Dropped& first = targets.front();
        // A web address has no folder to work in; its site names the title.
        Module1::AddLinkTarget(m_form, first.target,
                               first.web
                                   ? Module1::LinkTargetProposal{QUrl(first.target).host(), {}}
                                   : Module1::proposeForFile(first.target));
        for (qsizetype i = 1; i < targets.size(); ++i) {
            const QString& target = targets[i].target;
            if (m_form.Combo3->findText(target, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
                m_form.Combo3->addItem(target);
        }
    }

    Form1& m_form;
    QHash<const QObject*, Place> m_places;
};

} // namespace

void Form1::installDropTargets()
{
    auto* filter = new DropFilter(*this);
    // The window takes what is dropped on its labels, buttons and background;
    // the fields of the editor would otherwise type a dropped path as text.
    for (QWidget* editor : {static_cast<QWidget*>(this), static_cast<QWidget*>(Text2),
                            static_cast<QWidget*>(Combo3->lineEdit()), static_cast<QWidget*>(Text6),
                            static_cast<QWidget*>(Text9)})
        filter->watch(editor, Place::Editor);
    // The thumbnail page and everything on it; its pictures and buttons do
    // not take drops themselves, so theirs reach the page.
    for (QWidget* thumbnail :
         {Image1->parentWidget(), static_cast<QWidget*>(Text5), static_cast<QWidget*>(Text7)})
        filter->watch(thumbnail, Place::Thumbnail);
    List1->setAcceptDrops(true);
    filter->watch(List1->viewport(), Place::TitleList);
}
