#pragma once

#include <optional>

#include <QImage>
#include <QSize>
#include <QString>

// The memo files: one PNG picture per title in the memo folder of the data
// folder, and the shipped blank memo new memos start from, which is only read. Nothing here
// touches a widget.
namespace memo
{

// The size of a new memo when even the shipped blank one cannot be read:
// twice the memo area of the main window, so strokes stay crisp when shown.
inline constexpr QSize kBlankSize{576, 334};

QString memoFolder(const QString& dataFolder);
// The memo file of title, or nullopt when the title cannot be a file name
// inside the memo folder (it is empty or holds a separator or a NUL).
std::optional<QString> memoFilePath(const QString& dataFolder, const QString& title);
// The shipped blank memo among the shipped files.
QString defaultMemoPath(const QString& sharedFolder);

// The picture stored in a memo file; a null image when the file is missing,
// empty or not a picture.
QImage readMemo(const QString& path);
// Writes picture as the whole new content of path, all or nothing: the new
// content is written and synced beside the old file and only then takes its
// place, so a failed write (a full disk, a quota) keeps the old file byte for
// byte. A path whose own name is a link (dangling or not) or anything but a
// plain file is refused; the folder holding it may be a link. False on any
// failure.
bool writeMemo(const QString& path, const QImage& picture);

// Removes the files a memo save killed midway left in the memo folder (plain
// files named as the save names its new content; links stay). Only safe while
// no other running program may be saving a memo there.
void removeLeftoverSaveFiles(const QString& folder);

// A white picture of the blank memo's size.
QImage blankMemo();

} // namespace memo
