#include "maint/drive_conversion.h"

#include <vector>

#include <QRegularExpression>
#include <QStringList>

#include "platform/database.h"
#include "store/schema.h"

using namespace schema;

namespace conversion {

namespace {

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

// A web address names no drive: "http://", "https://", "ftp://", "file://".
// One letter before the colon is a drive, never a scheme.
bool isWebAddress(const QString& value)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+://"));
    return scheme.match(value).hasMatch();
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

bool movesDriveToSlashFolder(const QString& oldPrefix, const QString& newPrefix)
{
    return isDriveOrRoot(oldPrefix) && newPrefix.startsWith(QLatin1Char('/'));
}

std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix)
{
    if (!value.startsWith(oldPrefix, Qt::CaseInsensitive) || isWebAddress(value))
        return std::nullopt;
    // The whole matched prefix goes, not just its first character: replacing
    // one character would turn "C:" -> "D:" into "D::".
    QString rest = value.mid(oldPrefix.size());
    // "C:\Users\k" under "/mnt/c" only opens once it reads "/mnt/c/Users/k".
    if (movesDriveToSlashFolder(oldPrefix, newPrefix))
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

int convertColumn(SqliteDatabase& db, const QString& column, const QString& oldPrefix,
                  const QString& newPrefix)
{
    const bool linkTargets = column == kLinkTargets;
    int converted = 0;
    db.transaction([&] {
        // The prefix is matched here rather than in SQL: it must be taken
        // literally and case-blind over all of Unicode, and in the link-target
        // column it may start any line, which no LIKE pattern expresses.
        struct Change {
            QString title;
            QString value;
        };
        std::vector<Change> changes;
        auto query = db.prepare(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                                    .arg(kTitleName, column, kTitleTable));
        while (query.step()) {
            const QString value = query.text(1);
            const auto result = linkTargets ? convertLinkTargets(value, oldPrefix, newPrefix)
                                            : convertPrefix(value, oldPrefix, newPrefix);
            if (result)
                changes.push_back({query.text(0), *result});
        }
        auto update = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                                     .arg(kTitleTable, column, kTitleName));
        for (const Change& change : changes) {
            update.bind(1, change.value).bind(2, change.title);
            update.step();
            update.reset();
        }
        converted = int(changes.size());
    });
    return converted;
}

} // namespace conversion
