#include "app/start.h"

#include "app/data_folder.h"
#include "platform/dialogs.h"
#include "ui/main/form1.h"

std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder)
{
    const bool prepared = prepareDataFolder(dataFolder);
    auto form = std::make_unique<Form1>(services, dataFolder, sharedFolder);
    form->Form_Load();
    form->show();
    // Told over the window, so the user sees what the message is about.
    if (!prepared)
        services.dialogs->inform(form.get(), dataFolderFailureText(dataFolder));
    return form;
}
