#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

class SqliteDatabase;

// Moving stored paths from one drive or folder prefix to another. Nothing
// here touches a widget.
namespace store::conversion
{

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

// A field of the conversion as it is meant: a drive letter and its colon
// typed full-width with the input method on ("Ｃ", "Ｄ：\") read as their
// half-width forms. The rest of the text is kept as typed.
QString readDriveField(const QString& field);

// True when the pair moves Windows paths (a drive, a drive root, a UNC path
// or any text holding "\") into a "/" folder, whose converted values then
// take "/" in place of every "\".
bool movesWindowsPathToSlashFolder(const QString& oldPrefix, const QString& newPrefix);

// value with its leading oldPrefix replaced by newPrefix, or nullopt when
// value does not begin with oldPrefix or is a web address, which names no
// drive. The prefix is compared without regard to letter case and taken
// literally (no pattern characters). A prefix of more than one character
// that does not end in a separator or a colon names a whole folder or file:
// it begins only a value that ends right after it or goes on with a
// separator, so "/media/old" leaves "/media/oldstuff" alone. A move of a
// Windows path into a "/" folder turns the separators of the rest of the
// value into "/".
std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix);

// The same for stored link targets, one per line, each line ending in CR LF:
// every line that begins with oldPrefix is converted. nullopt when none does.
std::optional<QString> convertLinkTargets(const QString& value, const QString& oldPrefix,
                                          const QString& newPrefix);

// What became of one value as stored.
struct StoredConversion {
    // The value with its prefix (every matching link target's) converted, or
    // nullopt when none matched. Bytes outside the converted prefixes are
    // kept as they were, whether they are UTF-8 or not.
    std::optional<QByteArray> value;
    // The value (or one of its link targets) has bytes that are not UTF-8
    // where a character of oldPrefix other than ASCII would have to match, so
    // whether it begins with oldPrefix cannot be told; it is left as stored.
    bool unreadable = false;
};

// convertPrefix on a value's bytes as stored. oldPrefix is compared with the
// decoded text in the same way; bytes that are not UTF-8 never match a
// character of it. The rest of the value is copied byte for byte (only its
// "\" become "/" when convertPrefix would turn them).
StoredConversion convertStoredPrefix(const QByteArray& value, const QString& oldPrefix,
                                     const QString& newPrefix);

// convertLinkTargets on a value's bytes as stored, line by line as above.
StoredConversion convertStoredLinkTargets(const QByteArray& value, const QString& oldPrefix,
                                          const QString& newPrefix);

// The conversion of one stored value of column: convertStoredLinkTargets for
// the link targets, convertStoredPrefix for the other path columns.
StoredConversion convertStoredValue(const QString& column, const QByteArray& value,
                                    const QString& oldPrefix, const QString& newPrefix);

// The titles a column conversion met.
struct ColumnConversion {
    // Titles whose value (a link target of it) begins with the old prefix.
    int matched = 0;
    // Titles the engine rewrote. A title whose converted value is the same
    // as the stored one is matched but not changed.
    int changed = 0;
    // Titles left as stored although they may begin with the old prefix:
    // unreadable values, and rewrites the engine skipped.
    int left = 0;
};

// Converts column (one of the four path columns of the title table) in every
// title whose value begins with oldPrefix, as convertStoredPrefix does, all in
// one transaction: either every such title changes or none does. Titles are
// found by their row, so a title whose name is not UTF-8 converts like any
// other. On a server catalogue the titles stay locked from the reading to the
// commit, so another PC's edit of one is neither lost nor half converted.
// Throws DbError (nothing changed) when the engine fails or the connection
// is lost, and for a column that is not a path column.
ColumnConversion convertStoredColumn(SqliteDatabase& db, const QString& column,
                                     const QString& oldPrefix, const QString& newPrefix);

// convertStoredColumn, returning the number of titles changed.
int convertColumn(SqliteDatabase& db, const QString& column, const QString& oldPrefix,
                  const QString& newPrefix);

} // namespace store::conversion
