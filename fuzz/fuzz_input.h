#pragma once

// Cutting a fuzzer's bytes into texts.

#include <cstddef>
#include <cstdint>

#include <QString>
#include <QStringList>

// count texts, separated by a zero: a zero byte in UTF-8, a zero unit (two
// zero bytes on an even offset) in UTF-16. Missing texts are empty; broken
// UTF-8 and lone surrogates are kept as the string types keep them.
inline QStringList splitTexts(const uint8_t* data, size_t size, bool utf16, int count)
{
    QStringList texts;
    const size_t unit = utf16 ? 2 : 1;
    size_t begin = 0;
    while (texts.size() < count) {
        size_t stop = begin;
        while (stop + unit <= size && !(data[stop] == 0 && (!utf16 || data[stop + 1] == 0)))
            stop += unit;
        const auto* bytes = reinterpret_cast<const char*>(data + begin);
        const auto length = qsizetype(stop - begin);
        texts << (utf16 ? QString(reinterpret_cast<const QChar*>(bytes), length / 2)
                        : QString::fromUtf8(bytes, length));
        begin = stop + unit <= size ? stop + unit : size;
    }
    return texts;
}
