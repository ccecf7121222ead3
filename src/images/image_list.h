#pragma once

#include <vector>

#include <QString>
#include <QStringList>

class Form1;

namespace Module1
{

// The name table of one build: full paths, a fixed number of slots.
constexpr int kImageNameSlots = 1000;
using ImageNameTable = std::vector<QString>;

// Lists the files matching pattern (a folder with its trailing separator and
// a wildcard, as in /home/u/Photos/*.jpg) into names after slot last, moving
// last on. Yields to the event loop once before reading the folder. False,
// with nothing stored, when pattern holds no separator; false after telling
// the user "ファイル名バッファオーバー" when the table has no slot left for a
// name, last then standing past the table's end.
// A build's walks all list the same folder; given a listing, the first walk
// reads the folder into it and the later ones match against what it read.
struct FolderListing {
    QString folder;
    QStringList names;
    bool read = false;
};
bool WalkImageFolder(Form1& form, const QString& pattern, ImageNameTable& names, int& last,
                     FolderListing* listing = nullptr);

// Fills the image list List2 with the BMP, WMF, JPEG and PNG files in the
// folder of the image path Text5, sorted without regard to case; writes their
// number to Text7 and the 1-based position of Text5's file to Label14 ("" when
// it is not listed). A build requested while one is running (from a click
// handled during its yield) replaces it: the running one starts over, so the
// list always holds one whole build.
void BuildImageList(Form1& form);

} // namespace Module1
