#include "platform/dialogs.h"

#include <algorithm>

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace
{

const QString kEllipsis = QStringLiteral("…");

// The nearest place at or before (forward false) or at or after position
// where one character ends and the next begins. Only a few characters around
// position are looked at, however long the line.
qsizetype characterBoundary(const QString& line, qsizetype position, bool forward)
{
    constexpr qsizetype kAround = 16;
    const qsizetype from = std::max<qsizetype>(0, position - kAround);
    const QString window = line.mid(from, 2 * kAround);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(position - from);
    if (finder.isAtBoundary())
        return position;
    const qsizetype found = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    return found < 0 ? position : from + found;
}

QString shortenedLine(const QString& line)
{
    if (line.size() <= kBoxLineLength)
        return line;
    const qsizetype half = (kBoxLineLength - 1) / 2;
    const qsizetype headEnd = characterBoundary(line, half, false);
    const qsizetype tailStart = characterBoundary(line, line.size() - half, true);
    return line.left(headEnd) + kEllipsis + line.mid(tailStart);
}

} // namespace

QString shortenedForBox(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kBoxLines) {
        const qsizetype keep = (kBoxLines - 1) / 2;
        lines = lines.mid(0, keep) + QStringList{kEllipsis} + lines.mid(lines.size() - keep);
    }
    for (QString& line : lines)
        line = shortenedLine(line);
    return lines.join(QLatin1Char('\n'));
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, shortenedForBox(title), shortenedForBox(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::inform(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    shortenedForBox(text), QMessageBox::Ok, parent);
    box.exec();
}

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& part : parts[i + 1].split(QLatin1Char(';'))) {
            const QString pattern = part.trimmed();
            // "*.*" means every file, as it always has where these filters
            // come from; as a wildcard it would hide names without a dot,
            // such as README or most programs.
            if (pattern == QStringLiteral("*.*"))
                patterns << QStringLiteral("*");
            else if (!pattern.isEmpty())
                patterns << pattern;
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

namespace
{

// The Open and Save dialogs differ only in what they accept.
std::optional<QString> runFileDialog(QWidget* parent, const OpenFileRequest& request,
                                     QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    QFileDialog dialog(parent, request.title, request.folder, qtFileFilter(request.filter));
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    // The captions already show their patterns ("ファイル(*.*)"); the list
    // Qt would add after them is shown once, not twice.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace

std::optional<QString> QtDialogs::openFile(QWidget* parent, const OpenFileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const OpenFileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AnyFile, QFileDialog::AcceptSave);
}

std::optional<QString> Dialogs::saveFile(QWidget*, const OpenFileRequest&)
{
    return std::nullopt;
}

std::optional<QString> Dialogs::chooseFolder(QWidget*, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& title,
                                               const QString& folder)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, folder);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
