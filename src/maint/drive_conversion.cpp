#include "maint/drive_conversion.h"

#include <vector>

#include <QStringList>

#include "platform/database.h"
#include "store/schema.h"

using namespace schema;

namespace conversion {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix)
{
    if (!value.startsWith(oldPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    // The whole matched prefix goes, not just its first character: replacing
    // one character would turn "C:" -> "D:" into "D::".
    return newPrefix + value.mid(oldPrefix.size());
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
