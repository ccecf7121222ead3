#pragma once

#include <QString>

class Form1;

namespace Module1
{

// Shows the Open dialog titled title with filter ("desc|*.a;*.b"), opening in
// the folder of path with its file name proposed. On a choice, path becomes
// the chosen file without surrounding spaces and the result is true; on
// cancel path stays and the result is false. The process's current folder is
// the same afterwards as before, wherever the user browsed.
bool ShowFileDialog(Form1& form, const QString& title, const QString& filter, QString& path);

// What a new link target offers for the title's name and working folder.
struct LinkTargetProposal {
    QString name;
    QString folder;
};

// For a file or folder path: its own name and the folder that holds it,
// ending in its separator, whether or not the name has a dot.
LinkTargetProposal proposeForFile(const QString& path);

// Shows target in Combo3 (raising Combo3_Change), joins it to Combo3's list
// and shows its icon; Text2 and Text6 take the proposal only when blank.
// Writes nothing to the catalogue.
void AddLinkTarget(Form1& form, const QString& target, const LinkTargetProposal& proposal);

// Makes the picture at path the thumbnail: Text5, shown, with the image list
// of its folder; a blank Text2 takes the folder's name. The picture's folder
// becomes the current folder. Writes nothing to the catalogue.
void UseThumbnail(Form1& form, const QString& path);

} // namespace Module1
