#include "store/drive_conversion.h"

#include <vector>

#include <QStringList>

#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"

using namespace store::schema;

namespace store::conversion
{

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");

// Drive letters as they are typed: ASCII, or full-width with the Japanese
// input method still on.
bool isDriveLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'Ａ' && u <= u'Ｚ') ||
           (u >= u'ａ' && u <= u'ｚ');
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

bool isOneLetter(const QString& text)
{
    return text.size() == 1 && isDriveLetter(text[0]);
}

// "C:" or "C:\" (also "C:/").
bool isDriveOrRoot(const QString& text)
{
    if (text.size() < 2 || text.size() > 3 || !isDriveLetter(text[0]))
        return false;
    if (text[1] != QLatin1Char(':') && text[1] != QChar(u'：'))
        return false;
    return text.size() == 2 || isSeparator(text[2]);
}

bool endsInSeparator(const QString& text)
{
    return !text.isEmpty() && isSeparator(text.back());
}

bool isColon(QChar c)
{
    return c == QLatin1Char(':') || c == QChar(u'：');
}

// A drive letter and its colon at the start of text: "C:", "C:\x", "Ｃ：".
bool beginsWithDrive(const QString& text)
{
    return text.size() >= 2 && isDriveLetter(text[0]) && isColon(text[1]);
}

// "C" alone names a drive letter and "C:" a drive, and "/media/old/" ends
// where its folder does; any other prefix of more than one character could
// be the start of a longer name ("/media/old" of "/media/oldstuff").
bool needsBoundary(const QString& prefix)
{
    return prefix.size() > 1 && !isSeparator(prefix.back()) && !isColon(prefix.back());
}

// A web address names no drive: "http://", "https://", "ftp://", "file://".
// One letter before the colon is a drive, never a scheme. A scheme is ASCII,
// so the bytes of a value (its UTF-8) tell it as well as its text.
bool isWebAddress(QByteArrayView value)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto isSchemeChar = [&](char c) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '.' || c == '-';
    };
    if (value.isEmpty() || !isLetter(value[0]))
        return false;
    qsizetype at = 1;
    while (at < value.size() && isSchemeChar(value[at]))
        ++at;
    return at >= 2 && value.sliced(at).startsWith("://");
}

// The length of the UTF-8 sequence at bytes[at] and its code point, or 0 when
// the bytes there are not UTF-8 (a stray continuation byte, a cut sequence,
// an overlong form, a surrogate, beyond U+10FFFF).
int decodeUtf8(QByteArrayView bytes, qsizetype at, char32_t& codePoint)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    codePoint = lead & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        // Only the second byte has a narrower range.
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return length;
}

enum class Match { No, Yes, Unreadable };

// Whether value begins with prefix, compared as QString::startsWith compares
// without regard to case, over the decoded text of value's first bytes. On a
// match, matchedBytes is the length of the bytes the prefix covers.
Match matchPrefix(QByteArrayView value, const QString& prefix, qsizetype& matchedBytes)
{
    QString decoded;
    qsizetype at = 0;
    while (decoded.size() < prefix.size()) {
        if (at == value.size())
            return Match::No;
        char32_t codePoint = 0;
        const int length = decodeUtf8(value, at, codePoint);
        if (length == 0) {
            if (!prefix.startsWith(decoded, Qt::CaseInsensitive))
                return Match::No;
            // Bytes that are not UTF-8 start at 0x80 or above, which stands
            // for no ASCII character in any encoding another tool would have
            // stored a path in: the value plainly differs there. Another
            // character, though, may be just what they meant in that encoding.
            return prefix[decoded.size()].unicode() < 0x80 ? Match::No : Match::Unreadable;
        }
        decoded.append(QChar::fromUcs4(codePoint));
        at += length;
    }
    // A prefix that ends inside a character (half a surrogate pair) does not
    // begin the value.
    if (decoded.size() != prefix.size() || decoded.compare(prefix, Qt::CaseInsensitive) != 0)
        return Match::No;
    matchedBytes = at;
    return Match::Yes;
}

} // namespace

PrefixSlip checkPrefixes(const QString& oldPrefix, const QString& newPrefix)
{
    if (isOneLetter(oldPrefix) && !isOneLetter(newPrefix))
        return PrefixSlip::LetterToOther;
    const bool fromRoot = !newPrefix.isEmpty() && isSeparator(newPrefix[0]);
    if (isDriveOrRoot(oldPrefix) && !isDriveOrRoot(newPrefix) && !fromRoot)
        return PrefixSlip::DriveToRelative;
    if (endsInSeparator(oldPrefix) != endsInSeparator(newPrefix))
        return PrefixSlip::SeparatorMismatch;
    return PrefixSlip::None;
}

QString readDriveField(const QString& field)
{
    const bool letterAlone = field.size() == 1 && isDriveLetter(field[0]);
    if (!letterAlone && !beginsWithDrive(field))
        return field;
    QString read = field;
    // The full-width forms lie 0xFEE0 above their ASCII letters.
    if (read[0].unicode() >= u'Ａ')
        read[0] = QChar(char16_t(read[0].unicode() - 0xFEE0));
    if (!letterAlone)
        read[1] = QLatin1Char(':');
    return read;
}

bool movesWindowsPathToSlashFolder(const QString& oldPrefix, const QString& newPrefix)
{
    const bool windows = beginsWithDrive(oldPrefix) || oldPrefix.contains(QLatin1Char('\\'));
    return windows && newPrefix.startsWith(QLatin1Char('/'));
}

std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix)
{
    if (!value.startsWith(oldPrefix, Qt::CaseInsensitive) || isWebAddress(value.toUtf8()))
        return std::nullopt;
    if (needsBoundary(oldPrefix) && value.size() > oldPrefix.size() &&
        !isSeparator(value[oldPrefix.size()]))
        return std::nullopt;
    // The whole matched prefix goes, not just its first character: replacing
    // one character would turn "C:" -> "D:" into "D::".
    QString rest = value.mid(oldPrefix.size());
    // "C:\Users\k" under "/mnt/c" only opens once it reads "/mnt/c/Users/k".
    if (movesWindowsPathToSlashFolder(oldPrefix, newPrefix))
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return newPrefix + rest;
}

std::optional<QString> convertLinkTargets(const QString& value, const QString& oldPrefix,
                                          const QString& newPrefix)
{
    // Every link target is a path of its own; a title whose second target
    // lies on the old drive must not keep pointing there.
    QStringList lines = value.split(kLineEnd);
    bool any = false;
    for (QString& line : lines) {
        // The empty piece after the last CR LF is no link target.
        if (line.isEmpty())
            continue;
        if (auto converted = convertPrefix(line, oldPrefix, newPrefix)) {
            line = *converted;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return lines.join(kLineEnd);
}

StoredConversion convertStoredPrefix(const QByteArray& value, const QString& oldPrefix,
                                     const QString& newPrefix)
{
    if (isWebAddress(value))
        return {};
    qsizetype matchedBytes = 0;
    switch (matchPrefix(value, oldPrefix, matchedBytes)) {
    case Match::No:
        return {};
    case Match::Unreadable:
        return {std::nullopt, true};
    case Match::Yes:
        break;
    }
    // The byte after the prefix: a separator is ASCII, so the bytes tell it
    // whatever encoding the rest is in.
    if (needsBoundary(oldPrefix) && matchedBytes < value.size() && value[matchedBytes] != '\\' &&
        value[matchedBytes] != '/')
        return {};
    // The rest is copied as bytes: run through QString, a byte that is not
    // UTF-8 would come back as U+FFFD and the path would name another file.
    QByteArray rest = value.sliced(matchedBytes);
    // 0x5C is never part of a longer UTF-8 sequence, so each one is a "\".
    if (movesWindowsPathToSlashFolder(oldPrefix, newPrefix))
        rest.replace('\\', '/');
    return {newPrefix.toUtf8() + rest, false};
}

StoredConversion convertStoredLinkTargets(const QByteArray& value, const QString& oldPrefix,
                                          const QString& newPrefix)
{
    const QByteArray lineEnd = kLineEnd.toLatin1();
    QByteArray result;
    bool any = false;
    bool unreadable = false;
    qsizetype start = 0;
    while (start <= value.size()) {
        qsizetype end = value.indexOf(lineEnd, start);
        const bool last = end < 0;
        if (last)
            end = value.size();
        const QByteArray line = value.sliced(start, end - start);
        StoredConversion converted;
        // The empty piece after the last CR LF is no link target.
        if (!line.isEmpty())
            converted = convertStoredPrefix(line, oldPrefix, newPrefix);
        unreadable = unreadable || converted.unreadable;
        if (converted.value) {
            result += *converted.value;
            any = true;
        } else {
            result += line;
        }
        if (last)
            break;
        result += lineEnd;
        start = end + lineEnd.size();
    }
    if (!any)
        return {std::nullopt, unreadable};
    return {result, unreadable};
}

ColumnConversion convertStoredColumn(SqliteDatabase& db, const QString& column,
                                     const QString& oldPrefix, const QString& newPrefix)
{
    // The column is spliced into the statement, and a name or a category
    // rewritten here would slip past the comparison rule.
    if (column != kThumbnailPath && column != kLinkTargets && column != kLaunchOptions &&
        column != kWorkingFolder)
        throw DbError("not a path column");
    if (PgCatalogue* server = db.server())
        return server::convertStoredColumn(*server, column, oldPrefix, newPrefix);
    ColumnConversion counts;
    db.transaction([&] {
        // The prefix is matched here rather than in SQL: it must be taken
        // literally and case-blind over all of Unicode, and in the link-target
        // column it may start any line, which no LIKE pattern expresses.
        // Rows are kept by their rowid and values as bytes: a name or a path
        // that is not UTF-8 would not survive a trip through QString, and the
        // title would then be missed or its path rewritten.
        struct Change {
            qint64 row;
            QByteArray value;
            bool unreadable;
        };
        std::vector<Change> changes;
        auto query = db.prepare(
            QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(column, kTitleTable));
        while (query.step()) {
            const QByteArray value = query.columnBytes(1);
            const StoredConversion result = convertStoredValue(column, value, oldPrefix, newPrefix);
            if (result.value)
                ++counts.matched;
            if (result.value && *result.value != value)
                changes.push_back({query.integer(0), *result.value, result.unreadable});
            else if (result.unreadable)
                ++counts.left;
        }
        auto update = db.prepare(
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(kTitleTable, column));
        for (const Change& change : changes) {
            update.bindBytes(1, change.value).bindInteger(2, change.row);
            update.step();
            // A trigger may have the engine skip the row without an error.
            const bool written = db.changes() == 1;
            if (written)
                ++counts.changed;
            if (!written || change.unreadable)
                ++counts.left;
            update.reset();
        }
    });
    return counts;
}

StoredConversion convertStoredValue(const QString& column, const QByteArray& value,
                                    const QString& oldPrefix, const QString& newPrefix)
{
    return column == kLinkTargets ? convertStoredLinkTargets(value, oldPrefix, newPrefix)
                                  : convertStoredPrefix(value, oldPrefix, newPrefix);
}

int convertColumn(SqliteDatabase& db, const QString& column, const QString& oldPrefix,
                  const QString& newPrefix)
{
    return convertStoredColumn(db, column, oldPrefix, newPrefix).changed;
}

} // namespace store::conversion
