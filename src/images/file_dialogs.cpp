#include "images/file_dialogs.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>

#include "images/image_list.h"
#include "launch/link_icon.h"
#include "launch/path_helpers.h"
#include "launch/thumbnail.h"
#include "platform/dialogs.h"
#include "store/field_text.h"
#include "ui/main/form1.h"

namespace
{

const QString kDialogTitle = QStringLiteral("ファイルオープン");

// The folder that holds file, ending in its separator. The dialog picks files
// only, so the name is a file's whether or not it has a dot; ExtractFolderPath
// would take "/usr/bin/gimp" or "~/文書/README" for folders. A name without
// folder gives its drive ("C:"), or nothing.
QString folderHolding(const QString& file)
{
    const qsizetype last =
        std::max(file.lastIndexOf(QLatin1Char('/')), file.lastIndexOf(QLatin1Char('\\')));
    if (last >= 0)
        return file.left(last + 1);
    const qsizetype colon = file.indexOf(QLatin1Char(':'));
    return colon >= 0 ? file.left(colon + 1) : QString();
}

} // namespace

namespace Module1
{

LinkTargetProposal proposeForFile(const QString& path)
{
    return {ExtractFileName(path), folderHolding(path)};
}

void AddLinkTarget(Form1& form, const QString& target, const LinkTargetProposal& proposal)
{
    form.setLinkTargetText(target);
    if (isBlankField(form.Text2->text()))
        form.Text2->setText(proposal.name);
    if (isBlankField(form.Text6->text()))
        form.Text6->setText(proposal.folder);
    ShowLinkIcon(form);
    form.Command19_Click();
}

void UseThumbnail(Form1& form, const QString& path)
{
    form.Text5->setText(path);
    if (isBlankField(form.Text2->text()))
        form.Text2->setText(ExtractFolderName(form.Text5->text()));
    ShowThumbnail(form, form.Text5->text());
    BuildImageList(form);
    // The image's folder stays the current folder, so the next look for a
    // picture starts beside this one.
    if (!QDir::setCurrent(ExtractFolderPath(form.Text5->text())))
        form.Text8->setText(QStringLiteral("フォルダ・ドライブ等の参照でエラーが発生しています。"));
}

bool ShowFileDialog(Form1& form, const QString& title, const QString& filter, QString& path)
{
    const QString remembered = QDir::currentPath();
    const auto chosen = form.services().dialogs->openFile(
        &form, OpenFileRequest{title, filter, ExtractFolderPath(path), ExtractFileName(path)});
    QDir::setCurrent(remembered);
    if (!chosen)
        return false;
    path = trimSpaces(*chosen);
    return true;
}

} // namespace Module1

void Form1::Command8_Click()
{
    Text8->clear();
    QString path;
    if (Module1::ShowFileDialog(*this, kDialogTitle, QStringLiteral("ファイル(*.*)|*.*"), path)) {
        Module1::AddLinkTarget(*this, path, Module1::proposeForFile(path));
        return;
    }
    // On cancel whatever the box holds joins the list.
    Command19_Click();
}

void Form1::Command9_Click()
{
    Text8->clear();
    QString path;
    if (!Module1::ShowFileDialog(
            *this, kDialogTitle,
            QStringLiteral("画像ファイル(*.bmp,*.jpg,*.wmf,*.png)|*.bmp;*.jpg;*.wmf;*.png"), path))
        return;
    Module1::UseThumbnail(*this, path);
}

void Form1::Command17_Click()
{
    Text8->clear();
    QString path;
    if (Module1::ShowFileDialog(*this, kDialogTitle, QStringLiteral("画像ファイル(*.*)|*.*"), path))
        Text9->setText(path);
}
