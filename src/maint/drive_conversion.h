#pragma once

#include <optional>

#include <QString>

class SqliteDatabase;

// Moving stored paths from one drive or folder prefix to another. Nothing
// here touches a widget.
namespace conversion {

// Pairs of prefixes whose conversion would leave every matched path broken,
// with no way back.
enum class PrefixSlip {
    None,
    // A drive letter ("C") replaced by more or other than one letter: the
    // colon stays, so "C" -> "D:" makes "D::\a.doc".
    LetterToOther,
    // A drive ("C:") or drive root ("C:\") replaced by something that is
    // neither a drive nor a folder from the root: "C:" -> "D" makes "D\a.doc".
    DriveToRelative,
    // Only one of the two ends in a separator, so the converted paths lose
    // theirs or get a second one: "C:\" -> "/mnt/c" makes "/mnt/ca.doc".
    SeparatorMismatch,
};

// The slip that converting oldPrefix to newPrefix would be, None when the
// pair is safe to convert.
PrefixSlip checkPrefixes(const QString& oldPrefix, const QString& newPrefix);

// True when the pair moves Windows drive paths into a "/" folder, whose
// converted values then take "/" in place of every "\".
bool movesDriveToSlashFolder(const QString& oldPrefix, const QString& newPrefix);

// value with its leading oldPrefix replaced by newPrefix, or nullopt when
// value does not begin with oldPrefix or is a web address, which names no
// drive. The prefix is compared without regard to letter case and taken
// literally (no pattern characters). A move from a drive to a "/" folder
// turns the separators of the rest of the value into "/".
std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix);

// The same for stored link targets, one per line, each line ending in CR LF:
// every line that begins with oldPrefix is converted. nullopt when none does.
std::optional<QString> convertLinkTargets(const QString& value, const QString& oldPrefix,
                                          const QString& newPrefix);

// Converts column (one of the four path columns of the title table) in every
// title whose value begins with oldPrefix, as convertPrefix does, all in one
// transaction: either every such title changes or none does. Returns the number of titles
// converted. Throws DbError (nothing changed) when the engine fails.
int convertColumn(SqliteDatabase& db, const QString& column, const QString& oldPrefix,
                  const QString& newPrefix);

} // namespace conversion
