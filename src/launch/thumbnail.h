#pragma once

#include <QString>

#include "ui/picture_cache.h"

class Form1;

// How ShowThumbnail decodes the picture at path, given its own size: PNGs
// whole for the scrolling view, small pictures at their own size, large ones
// at the size they are shown at. Safe to call from any thread.
PictureCache::Plan thumbnailPlan(const QString& path, QSize own);

namespace Module1
{

// Shows the picture at path on the thumbnail page of form's tab area, unless
// the show-thumbnails switch Check1 is off: PNG files in the scrolling view
// WebBrowser1, pictures smaller than the thumbnail area at their own size in
// Picture2, larger ones fitted to the area's height in Image1. A picture that
// cannot be read leaves both picture views empty and says so on the status
// line. Writes nothing to the catalogue.
void ShowThumbnail(Form1& form, const QString& path);

} // namespace Module1
