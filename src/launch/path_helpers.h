#pragma once

#include <QString>

// Cutting a path into its parts, on text alone: nothing here touches the file
// system. Both "\" and "/" count as separators and a drive colon ends a drive
// prefix, so stored Windows paths and Linux paths are cut alike. Each function
// first strips leading and trailing spaces from its input.
namespace Module1
{

// The folder part of path, ending in a separator. A path without any dot is
// taken for a folder and gets a separator appended first. Without separator
// the drive ("C:") or, lacking that too, the whole text is returned.
QString ExtractFolderPath(const QString& path);

// The part after the last separator (or after the drive colon); empty for a
// path ending in a separator and for a bare name without separator or colon.
QString ExtractFileName(const QString& path);

// The name of the innermost folder: the component just before the last
// separator; empty when the last separator is the first character or absent.
QString ExtractFolderName(const QString& path);

} // namespace Module1
