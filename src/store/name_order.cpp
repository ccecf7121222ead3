#include "store/name_order.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include <unicode/ucol.h>

#include "store/text_fold.h"

namespace
{

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

// A collator is not safe to use from two threads at once; SQLite calls the
// key function on the thread of its connection, so each thread opens its own.
UCollator* japaneseCollator()
{
    thread_local const std::unique_ptr<UCollator, CollatorCloser> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> opened(ucol_open("ja", &status));
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, CollatorCloser>();
        ucol_setAttribute(opened.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, CollatorCloser>();
        return opened;
    }();
    return collator.get();
}

void appendUtf8(QStringView text, std::string& out)
{
    // Encoded by hand so that a lone surrogate keeps a spelling of its own
    // instead of becoming one replacement character shared with others.
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
}

} // namespace

QByteArray japaneseSortKey(QStringView text)
{
    thread_local std::string key;
    key.clear();
    if (UCollator* collator = japaneseCollator()) {
        // The collation knows a ー only after a full-width kana: after ﾃﾞ a
        // half-width ｰ weighs as a symbol and would part ﾃﾞｰﾀ from データ.
        // Half-width katakana go in as NFKC writes them; the exact spelling
        // below still tells the widths apart.
        thread_local std::u16string source;
        source.assign(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
        for (char16_t& c : source)
            c = nfkcOfHalfWidthKana(c);
        const auto length = int32_t(std::min<size_t>(source.size(), INT32_MAX));
        key.resize(std::max<size_t>(key.capacity(), 64));
        int32_t needed =
            ucol_getSortKey(collator, source.data(), length, reinterpret_cast<uint8_t*>(key.data()),
                            int32_t(key.size()));
        if (needed > int32_t(key.size())) {
            key.resize(size_t(needed));
            needed = ucol_getSortKey(collator, source.data(), length,
                                     reinterpret_cast<uint8_t*>(key.data()), needed);
        }
        // The key ends in its only zero byte, so what follows decides only
        // between names the collation holds equal.
        key.resize(size_t(std::max(needed, 0)));
    }
    appendUtf8(text, key);
    return QByteArray(key.data(), qsizetype(key.size()));
}
