#include "app/start.h"

#include <QDateTime>
#include <QDir>

#include "app/data_folder.h"
#include "jet/jet_offer.h"
#include "platform/dialogs.h"
#include "store/catalogue_db.h"
#include "ui/main/form1.h"

std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder)
{
    const QDateTime startedAt = QDateTime::currentDateTimeUtc();
    // An old catalogue the user kept (No, or a failed conversion) has been
    // named in a box already; the notice about a foreign file must not repeat it.
    const bool jetCatalogueKept = offerJetConversion(*services.dialogs, dataFolder);
    const bool prepared = prepareDataFolder(dataFolder);
    const QString catalogue = catalogueFilePath(dataFolder);
    // Only after this start has its catalogue: a first start that began before
    // this one and loses its staging file then finds the catalogue in place.
    if (prepared)
        removeStaleStagingFiles(catalogue, startedAt);
    const bool readable = !prepared || jetCatalogueKept || isCatalogueFile(catalogue);
    auto form = std::make_unique<Form1>(services, dataFolder, sharedFolder);
    form->Form_Load();
    form->show();
    // Told over the window, so the user sees what the message is about.
    if (!prepared)
        services.dialogs->inform(form.get(), dataFolderFailureText(dataFolder));
    else if (!readable)
        services.dialogs->inform(form.get(), notACatalogueText(catalogue));
    return form;
}

QString notACatalogueText(const QString& path)
{
    return QStringLiteral("ファイル %1 はカタログとして読めません。\n"
                          "壊れているか、別のプログラムのファイルです。\n"
                          "このファイルは変更せず、そのまま残します。\n"
                          "このままではカテゴリやタイトルの操作はすべてエラーになります。"
                          "ファイルを正しいカタログと置き換えるか、別の場所へ移してから"
                          "起動し直してください。")
        .arg(QDir::toNativeSeparators(path));
}
