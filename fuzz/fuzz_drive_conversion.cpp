// The prefix conversion of one stored value and of a list of link targets.

#include <cstdio>
#include <cstdlib>

#include <QRegularExpression>
#include <QStringList>

#include "fuzz_input.h"
#include "store/drive_conversion.h"

namespace
{

[[noreturn]] void fail(const char* what, const QString& value, const QString& result)
{
    std::fprintf(stderr, "%s\n  value: [%s]\n  result: [%s]\n", what, qPrintable(value),
                 qPrintable(result));
    std::abort();
}

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

// Whether value should convert: it begins with the prefix and is no web
// address (a scheme of two or more characters, then "://"), which names no
// drive whatever it begins with. A prefix of two or more characters that
// ends in neither a separator nor a colon must be followed by one of the
// separators or by nothing.
static bool startsWithPrefix(const QString& value, const QString& oldPrefix)
{
    static const QRegularExpression webAddress(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    if (!value.startsWith(oldPrefix, Qt::CaseInsensitive) || webAddress.match(value).hasMatch())
        return false;
    static const QString ends = QStringLiteral("\\/:：");
    if (oldPrefix.size() < 2 || ends.contains(oldPrefix.back()))
        return true;
    return value.size() == oldPrefix.size() || value[oldPrefix.size()] == u'\\' ||
           value[oldPrefix.size()] == u'/';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool utf16 = data[0] & 1;
    // The value, the old prefix and the new one.
    const QStringList texts = splitTexts(data + 1, size - 1, utf16, 3);
    const QString& value = texts[0];
    const QString& oldPrefix = texts[1];
    const QString& newPrefix = texts[2];

    // Reading a field as meant touches a typed drive at most, never the rest.
    const QString read = store::conversion::readDriveField(oldPrefix);
    if (read.size() != oldPrefix.size() || read.mid(2) != oldPrefix.mid(2))
        fail("reading a field changed more than its drive", oldPrefix, read);

    const auto converted = store::conversion::convertPrefix(value, oldPrefix, newPrefix);
    if (converted.has_value() != startsWithPrefix(value, oldPrefix))
        fail("converted without the prefix, or not with it", value, converted.value_or(QString()));
    if (converted) {
        // The prefix goes whole and everything after it stays as it was, but
        // for the separators of a drive path moved into a "/" folder.
        QString rest = value.mid(oldPrefix.size());
        if (store::conversion::movesWindowsPathToSlashFolder(oldPrefix, newPrefix))
            rest.replace(u'\\', u'/');
        if (*converted != newPrefix + rest)
            fail("the rest of the value changed", value, *converted);
        if (value.isValidUtf16() && oldPrefix.isValidUtf16() && newPrefix.isValidUtf16() &&
            !converted->isValidUtf16())
            fail("a sound value became broken text", value, *converted);
    }

    const auto targets = store::conversion::convertLinkTargets(value, oldPrefix, newPrefix);
    const QStringList before = value.split(kLineEnd);
    bool any = false;
    for (const QString& line : before)
        any = any || (!line.isEmpty() && startsWithPrefix(line, oldPrefix));
    if (targets.has_value() != any)
        fail("link targets converted without a matching line, or not with one", value,
             targets.value_or(QString()));
    if (targets && !newPrefix.contains(u'\r') && !newPrefix.contains(u'\n')) {
        const QStringList after = targets->split(kLineEnd);
        if (after.size() != before.size())
            fail("the number of link targets changed", value, *targets);
        for (qsizetype i = 0; i < before.size(); ++i) {
            const auto line = store::conversion::convertPrefix(before[i], oldPrefix, newPrefix);
            const QString expected = before[i].isEmpty() ? before[i] : line.value_or(before[i]);
            if (after[i] != expected)
                fail("a link target was not converted on its own", before[i], after[i]);
        }
    }
    return 0;
}
