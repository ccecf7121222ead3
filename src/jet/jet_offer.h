#pragma once

#include <functional>
#include <memory>

#include <QString>

class Dialogs;
class JetDatabase;
struct JetReadOptions;

namespace jet
{

// Opens the Jet file; options carry the progress and the cancel of the
// window that shows the conversion.
using JetOpener =
    std::function<std::unique_ptr<JetDatabase>(const QString& path, const JetReadOptions& options)>;

// Start-up: removes what an interrupted conversion left in the data folder;
// then, when the folder's QUILMO.mdb is a Jet catalogue of the old Windows
// program, asks whether to convert it and on Yes converts it and reports the
// counts, or the reason it failed. A conversion that takes a while shows
// its progress and can be cancelled, which leaves everything as it was
// without a further box. True when a Jet file is still the catalogue
// afterwards (the user said No, cancelled, or the conversion failed): the
// user has been told about that file, and the program runs as with any
// foreign file.
bool offerJetConversion(Dialogs& dialogs, const QString& dataFolder, const JetOpener& open);
bool offerJetConversion(Dialogs& dialogs, const QString& dataFolder);

} // namespace jet
