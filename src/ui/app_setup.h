#pragma once

class QApplication;
class QString;

// Installs Qt's own Japanese texts (standard buttons, the Open and colour
// dialogs) from the catalogue "qtbase_ja" in the given folder. True when they
// are installed, now or by an earlier call; false when the catalogue cannot
// be read, and Qt then keeps its English texts.
bool installQtJapanese(QApplication& app, const QString& translationsFolder);

// Readies the application before its first window is built: the program's
// name, Qt's Japanese texts from Qt's own translations folder and the design
// font. Windows are titled exactly as they set their titles, with nothing
// appended. Returns what installQtJapanese returned.
bool setUpApplication(QApplication& app);
