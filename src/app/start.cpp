#include "app/start.h"

#include "app/data_folder.h"
#include "jet/jet_offer.h"
#include "platform/dialogs.h"
#include "ui/main/form1.h"

std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder)
{
    // An old catalogue the user kept (No, or a failed conversion) has been
    // named in a box already; the notice about a foreign file must not repeat it.
    [[maybe_unused]] const bool jetCatalogueKept =
        offerJetConversion(*services.dialogs, dataFolder);
    const bool prepared = prepareDataFolder(dataFolder);
    auto form = std::make_unique<Form1>(services, dataFolder, sharedFolder);
    form->Form_Load();
    form->show();
    // Told over the window, so the user sees what the message is about.
    if (!prepared)
        services.dialogs->inform(form.get(), dataFolderFailureText(dataFolder));
    return form;
}
