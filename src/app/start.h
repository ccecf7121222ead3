#pragma once

#include <memory>

#include <QString>

#include "platform/services.h"

class Form1;

// Opens the main window over a data folder and the shipped files: prepares
// the data folder on first start, loads and shows the window. When the
// catalogue cannot be created the user is told once, naming the folder, and
// the window opens all the same; its operations then report their own
// failures. A catalogue file that cannot be read as one is named once in the
// same way and left as it is. Staging files left by a first start killed
// midway, from before this start, are removed.
std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder);

// What the user is told when the catalogue file at path is not a catalogue.
QString notACatalogueText(const QString& path);
