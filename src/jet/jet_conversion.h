#pragma once

#include <QString>

class JetDatabase;

// Bringing a catalogue of the old Windows program (a Jet file) over into the
// program's own catalogue file. Nothing here touches a widget.
namespace jet
{

struct ConversionCounts {
    int categories = 0;
    int titles = 0;
    // Names kept although the catalogue's comparison rule counts them the
    // same as a name before them (full-width and half-width, kana of both
    // kinds): categories and titles together.
    int sameNames = 0;
    // Titles with a thumbnail, link target, launch option or working folder
    // that begins with a drive letter ("C:").
    int driveLetterTitles = 0;
};

struct ConversionOutcome {
    bool converted = false;
    // Why it failed, in a sentence for the user.
    QString reason;
    ConversionCounts counts;
    // Where the Jet file is kept after a conversion: QUILMO.mdb.jet, or
    // QUILMO.mdb.jet.1 and so on when that name was taken.
    QString keptAs;
};

// Converts the Jet catalogue at cataloguePath, read through source, into a
// new catalogue under a temporary name beside it, in one transaction. Only
// when all of it is on disk is the Jet file given its kept name and the new
// file put in its place. Every text arrives as stored; an absent value
// becomes empty text; a missing option row 'Memory' gets "1". On failure the
// Jet file stays where and as it was and nothing else is left behind.
ConversionOutcome convertJetCatalogue(JetDatabase& source, const QString& cataloguePath);

// Removes what an interrupted conversion left in the folder: its temporary
// catalogue and that catalogue's journal.
void removeStaleConversionFiles(const QString& folder);

// The beginning of the temporary file names, for the tests' inspection.
QString stagingPrefix();

} // namespace jet
