#include "images/image_list.h"

#include <algorithm>
#include <iterator>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QObject>

#include "images/image_files.h"
#include "images/prefetch.h"
#include "launch/path_helpers.h"
#include "platform/dialogs.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"

namespace
{

const char* const kOverflow = "ファイル名バッファオーバー";

qsizetype lastSeparator(const QString& s)
{
    return std::max(s.lastIndexOf(QLatin1Char('\\')), s.lastIndexOf(QLatin1Char('/')));
}

// Adds names to the sorted list, which shown holds listed. All at once: added
// one by one, each entry would have the view lay out the list anew.
void addSorted(ListBox* list, QStringList& listed, QStringList names)
{
    if (names.isEmpty())
        return;
    std::sort(names.begin(), names.end(), imageNameLess);
    QStringList merged;
    merged.reserve(listed.size() + names.size());
    std::merge(listed.cbegin(), listed.cend(), names.cbegin(), names.cend(),
               std::back_inserter(merged), imageNameLess);
    listed = std::move(merged);
    list->setItems(listed);
}

// The 1-based row of path in the list, or 0. The same name in another letter
// case counts when the exact one is not there.
int positionOf(const ListBox* list, const QString& path)
{
    int blind = 0;
    for (int row = 0; row < list->count(); ++row) {
        const QString& text = list->items().at(row);
        if (text == path)
            return row + 1;
        if (blind == 0 && QString::compare(text, path, Qt::CaseInsensitive) == 0)
            blind = row + 1;
    }
    return blind;
}

// One build. False when a newer build was asked for during one of its
// yields; it then stops at once and leaves the list to the newer one.
bool buildOnce(Form1& form, const Form1::ImageListBuild& build, quint64 request)
{
    form.Label14->setText(QString());
    form.List2->clear();
    const QString imagePath = form.Text5->text();
    const QString folder = Module1::ExtractFolderPath(imagePath);

    Module1::ImageNameTable names(Module1::kImageNameSlots);
    int last = -1;
    int count = 0;
    QStringList entries;
    // The folder is read once for all four kinds.
    Module1::FolderListing listing;
    for (const char* kind : {"bmp", "wmf", "jpg", "png"}) {
        const QString extension = QString::fromLatin1(kind);
        const bool listed = Module1::WalkImageFolder(
            form, folder + QStringLiteral("*.") + extension, names, last, &listing);
        if (build.requests != request)
            return false;
        if (!listed)
            continue;
        if (last == -1) {
            if (extension != QLatin1String("bmp"))
                form.Text7->setText(QString::number(count));
            continue;
        }
        // After an overflow last stands past the table; only filled slots count.
        const int end = std::min(last, Module1::kImageNameSlots - 1);
        QStringList found;
        for (int i = 0; i <= end; ++i) {
            if (endsWithExtension(names[i], extension))
                found << names[i];
        }
        count += int(found.size());
        addSorted(form.List2, entries, std::move(found));
        form.Text7->setText(QString::number(count));
    }

    const int position = positionOf(form.List2, imagePath);
    if (position > 0)
        form.Label14->setText(QString::number(position));
    return true;
}

} // namespace

namespace Module1
{

bool WalkImageFolder(Form1& form, const QString& pattern, ImageNameTable& names, int& last,
                     FolderListing* listing)
{
    const qsizetype separator = lastSeparator(pattern);
    if (separator < 0)
        return false;
    const QString path = pattern.left(separator + 1);

    // Pending repaints and clicks are handled here, as the list may take a
    // while on a large folder.
    QCoreApplication::processEvents();

    const QString wildcard = pattern.mid(separator + 1);
    QStringList matching;
    if (listing) {
        if (!listing->read || listing->folder != path) {
            listing->folder = path;
            listing->names = listFolderFiles(path);
            listing->read = true;
        }
        matching = matchingNames(listing->names, wildcard);
    } else {
        matching = listMatchingFiles(path, wildcard);
    }
    for (const QString& name : matching) {
        ++last;
        if (last < 0 || last >= int(names.size())) {
            form.services().dialogs->inform(&form, QString::fromUtf8(kOverflow));
            return false;
        }
        names[std::size_t(last)] = path + name;
    }
    return true;
}

void BuildImageList(Form1& form)
{
    Form1::ImageListBuild& build = form.imageListBuild;
    ++build.requests;
    if (build.running)
        return; // the running build sees the request and starts over

    build.running = true;
    const QString countBefore = form.Text7->text();
    for (;;) {
        if (buildOnce(form, build, build.requests))
            break;
        // A replaced build leaves no trace, the count it may have written
        // included.
        form.Text7->setText(countBefore);
    }
    build.running = false;
    prefetchImageNeighbours(form);
}

} // namespace Module1
