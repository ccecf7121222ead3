#pragma once

#include <QString>

class Form1;

namespace Module1 {

// Shows the Open dialog titled title with filter ("desc|*.a;*.b"), opening in
// the folder of path with its file name proposed. On a choice, path becomes
// the chosen file without surrounding spaces and the result is true; on
// cancel path stays and the result is false. The process's current folder is
// the same afterwards as before, wherever the user browsed.
bool ShowFileDialog(Form1& form, const QString& title, const QString& filter, QString& path);

} // namespace Module1
