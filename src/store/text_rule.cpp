#include "store/text_rule.h"

#include <algorithm>
#include <array>
#include <vector>

#include <sqlite3.h>

#include <QStringEncoder>

#include "platform/database.h"
#include "store/jet_pattern.h"

namespace
{

bool isKatakanaWithHiragana(char32_t c)
{
    // ァ..ヶ and the iteration marks ヽヾ have hiragana twins 0x60 below.
    return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE;
}

// Characters whose full case folding differs from the simple one, with their
// full folding. Ligatures such as ﬀ are already split by NFKC.
bool appendFullFold(char32_t c, std::u32string& out)
{
    switch (c) {
    case 0x00DF: // ß
    case 0x1E9E: // ẞ
        out += U"ss";
        return true;
    case 0x0130: // İ
        out += U"i\u0307";
        return true;
    default:
        break;
    }
    // The rest (ŉ, ǰ, ΐ, ΰ, և, ẖ..ẚ, the Greek letters with iota subscript
    // and breathings) are exactly the letters whose upper case is longer than
    // one character: lower-casing that upper case gives the full folding.
    if (c < 0x0149 || c > 0x1FFF)
        return false;
    const QString one = QString::fromUcs4(&c, 1);
    const QString upper = one.toUpper();
    if (upper.size() <= one.size())
        return false;
    for (const char32_t u : upper.toCaseFolded().toStdU32String())
        out += u;
    return true;
}

// The rule's folded form as code points. NFKC first (it joins half-width
// voiced marks and turns full-width letters half-width), then full case
// folding, then katakana to hiragana.
// What NFKC does to the characters Japanese names are mostly made of, looked
// up once, so that such names fold without a general normalisation pass.
struct QuickFoldTables {
    std::array<char16_t, 0x3F> halfWidth{}; // U+FF61..U+FF9F as NFKC writes them
    // Hiragana with ゛ or ゜ joined: [letter - U+3040][0 for ゛, 1 for ゜].
    std::array<std::array<char16_t, 2>, 0x60> voiced{};
    std::array<bool, 0x40> plainCjkSymbol{}; // U+3000..U+303F left alone by NFKC
};

const QuickFoldTables& quickFoldTables()
{
    static const QuickFoldTables tables = [] {
        QuickFoldTables t;
        for (char32_t c = 0xFF61; c <= 0xFF9F; ++c) {
            const QString mapped =
                QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC);
            t.halfWidth[c - 0xFF61] = mapped.size() == 1 ? mapped.at(0).unicode() : 0;
        }
        for (char32_t c = 0x3040; c < 0x30A0; ++c) {
            const QString decomposed = QChar::decomposition(c);
            if (QChar::decompositionTag(c) != QChar::Canonical || decomposed.size() != 2)
                continue;
            const char16_t base = decomposed.at(0).unicode();
            const char16_t mark = decomposed.at(1).unicode();
            if (base >= 0x3040 && base < 0x30A0 && (mark == 0x3099 || mark == 0x309A))
                t.voiced[base - 0x3040][mark - 0x3099] = char16_t(c);
        }
        for (char32_t c = 0x3001; c < 0x3040; ++c)
            t.plainCjkSymbol[c - 0x3000] = QChar::decompositionTag(c) == QChar::NoDecomposition &&
                                           QChar::combiningClass(c) == 0;
        return t;
    }();
    return tables;
}

// The fold of names made only of ASCII, kana, common kanji, CJK punctuation
// and the full-width and half-width forms, the same as the general path would
// give. Returns false for any other character; out is then incomplete.
bool quickFold(QStringView text, std::u32string& out)
{
    const QuickFoldTables& t = quickFoldTables();
    const auto appendKana = [&](char16_t c) {
        if (c == 0x3099 || c == 0x309A) {
            // A voicing mark joins the kana before it where a joined letter
            // exists, as NFKC's composition does.
            // ワ゛ to ヰ゛ join only in katakana (ヷ..ヺ): the general path
            // knows which kana it was.
            if (!out.empty() && out.back() >= U'わ' && out.back() <= U'を')
                return false;
            if (!out.empty() && out.back() >= 0x3040 && out.back() < 0x30A0) {
                if (const char16_t joined = t.voiced[out.back() - 0x3040][c - 0x3099]) {
                    out.back() = joined;
                    return true;
                }
            }
            out += c;
            return true;
        }
        if (c == 0x309B || c == 0x309C || c == 0x309F || c == 0x30FF)
            return false; // NFKC rewrites these
        out += isKatakanaWithHiragana(c) ? char32_t(c - 0x60) : char32_t(c);
        return true;
    };
    for (const QChar qc : text) {
        char16_t c = qc.unicode();
        if (c < 0x80) {
            out += (c >= u'A' && c <= u'Z') ? char32_t(c + 0x20) : char32_t(c);
        } else if (c >= 0x4E00 && c <= 0x9FFF) {
            out += c;
        } else if (c >= 0x3040 && c < 0x3100) {
            if (!appendKana(c))
                return false;
        } else if (c >= 0xFF01 && c <= 0xFF5E) {
            c = char16_t(c - 0xFEE0);
            out += (c >= u'A' && c <= u'Z') ? char32_t(c + 0x20) : char32_t(c);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            const char16_t mapped = t.halfWidth[c - 0xFF61];
            if (mapped >= 0x3040 && mapped < 0x3100) {
                if (!appendKana(mapped))
                    return false;
            } else if (mapped) {
                out += mapped; // half-width punctuation
            } else {
                return false;
            }
        } else if (c == 0x3000) {
            out += U' ';
        } else if (c > 0x3000 && c < 0x3040 && t.plainCjkSymbol[c - 0x3000]) {
            out += c;
        } else {
            return false;
        }
    }
    return true;
}

void foldInto(QStringView text, std::u32string& out)
{
    out.clear();
    if (quickFold(text, out))
        return;
    out.clear();
    const QString nfkc = text.toString().normalized(QString::NormalizationForm_KC);
    // Case folding can leave text that NFKC writes otherwise: İ becomes i and
    // a combining dot, Ϊ́ becomes ϊ and an accent that NFKC joins into ΐ, W̊
    // becomes ẘ, which NFKC writes ẘ. Normalise once more after any change,
    // so that a text, its pieces and its canonical twins all fold alike.
    bool caseChanged = false;
    for (const char32_t c : nfkc.toStdU32String()) {
        if (c < 0x80) {
            const bool upper = c >= U'A' && c <= U'Z';
            caseChanged = caseChanged || upper;
            out += upper ? c + 0x20 : c;
        } else if (isKatakanaWithHiragana(c)) {
            out += c - 0x60;
        } else if (c >= 0x3040 && c <= 0x9FFF) {
            out += c; // kana and CJK have no case
        } else if (appendFullFold(c, out)) {
            caseChanged = true;
        } else {
            const char32_t folded = QChar::toCaseFolded(c);
            caseChanged = caseChanged || folded != c;
            out += folded;
        }
    }
    if (caseChanged) {
        const QString again = fromCodePoints(out).normalized(QString::NormalizationForm_KC);
        out = again.toStdU32String();
    }
}

std::u32string foldToUcs4(QStringView text)
{
    std::u32string out;
    out.reserve(size_t(text.size()));
    foldInto(text, out);
    return out;
}

// ---- Japanese order ------------------------------------------------------

enum Group : uint8_t {
    kSymbol = 0x10,
    kNumber = 0x20,
    kLatin = 0x30,
    kKana = 0x40,
    kKanji = 0x50,
    kOther = 0x60,
};

// ASCII punctuation and symbols in the order of the Japanese collation; other
// symbols follow by code point, then a ー that lengthens no kana, then
// currency signs.
constexpr std::u16string_view kAsciiSymbolOrder = u" _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~";
constexpr uint32_t kLoneLengthMark = 0xFFFF0;
constexpr uint32_t kCurrency = 0xFFFF1;

// The hiragana block, looked up once: the base letter without its voicing
// mark and in its large form, which voicing mark it had, and the vowel a
// following ー stands for.
struct KanaInfo {
    char32_t base = 0;
    uint8_t voicing = 0; // 0 none, 1 ゛, 2 ゜
    uint8_t small = 0;
    char32_t vowel = 0;
};

const std::array<KanaInfo, 0x60>& kanaTable()
{
    static const std::array<KanaInfo, 0x60> table = [] {
        std::array<KanaInfo, 0x60> t{};
        for (char32_t c = 0x3040; c < 0x30A0; ++c) {
            KanaInfo& info = t[c - 0x3040];
            info.base = c;
            const QString decomposed = QChar::decomposition(c);
            if (decomposed.size() == 2 && decomposed.at(1).unicode() == 0x3099) {
                info.base = decomposed.at(0).unicode();
                info.voicing = 1;
            } else if (decomposed.size() == 2 && decomposed.at(1).unicode() == 0x309A) {
                info.base = decomposed.at(0).unicode();
                info.voicing = 2;
            }
        }
        // Small kana sort with their large forms.
        constexpr std::u16string_view smalls = u"ぁぃぅぇぉっゃゅょゎゕゖ";
        constexpr std::u16string_view larges = u"あいうえおつやゆよわかけ";
        for (size_t i = 0; i < smalls.size(); ++i) {
            t[smalls[i] - 0x3040].base = larges[i];
            t[smalls[i] - 0x3040].small = 1;
        }
        constexpr std::array<std::u16string_view, 5> columns = {
            u"ぁあかがさざただなはばぱまゃやらゎわゕ", u"ぃいきぎしじちぢにひびぴみりゐ",
            u"ぅうくぐすずっつづぬふぶぷむゅゆるゔ", u"ぇえけげせぜてでねへべぺめれゑゖ",
            u"ぉおこごそぞとどのほぼぽもょよろを"};
        constexpr std::u16string_view vowels = u"あいうえお";
        for (size_t v = 0; v < columns.size(); ++v) {
            for (const char16_t c : columns[v])
                t[c - 0x3040].vowel = vowels[v];
        }
        return t;
    }();
    return table;
}

bool isKana(char32_t c)
{
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30F7 && c <= 0x30FA) || c == 0x30FC ||
           (c >= 0x31F0 && c <= 0x31FF);
}

// Kanji of JIS X 0208 levels 1 and 2 take their JIS position, which is the
// reading order of level 1 and the radical order of level 2; the rest follow
// by code point. The table is filled once from the EUC-JP codec.
constexpr char32_t kHanFirst = 0x4E00;
constexpr char32_t kHanLast = 0x9FFF;

const std::vector<uint16_t>& jisRanks()
{
    static const std::vector<uint16_t> ranks = [] {
        std::vector<uint16_t> r(kHanLast - kHanFirst + 1, 0);
        QStringEncoder encoder("EUC-JP");
        if (!encoder.isValid())
            return r;
        std::u32string all;
        for (char32_t c = kHanFirst; c <= kHanLast; ++c)
            all += c;
        const QByteArray bytes = encoder.encode(QString::fromStdU32String(all));
        qsizetype i = 0;
        for (char32_t c = kHanFirst; c <= kHanLast && i < bytes.size(); ++c) {
            const auto lead = uint8_t(bytes[i]);
            if (lead == 0x8F) { // JIS X 0212: not in the tailored order
                i += 3;
            } else if (lead >= 0xA1 && i + 1 < bytes.size()) {
                if (lead >= 0xB0 && lead <= 0xF4)
                    r[c - kHanFirst] = uint16_t(lead << 8 | uint8_t(bytes[i + 1]));
                i += 2;
            } else {
                i += 1;
            }
        }
        return r;
    }();
    return ranks;
}

uint32_t kanjiWeight(char32_t c)
{
    if (c >= kHanFirst && c <= kHanLast) {
        if (const uint16_t rank = jisRanks()[c - kHanFirst])
            return rank;
    }
    return 0x10000 + c;
}

Group groupOf(char32_t c)
{
    if (isKana(c))
        return kKana;
    if (c >= kHanFirst && c <= kHanLast)
        return kKanji;
    if (c < 0x80)
        return QChar::isLetter(c) ? kLatin : kSymbol;
    switch (QChar::script(c)) {
    case QChar::Script_Latin:
        return kLatin;
    case QChar::Script_Han:
        return QChar::isLetter(c) && c != 0x3005 ? kKanji : kSymbol;
    default:
        break;
    }
    return QChar::isLetter(c) ? kOther : kSymbol;
}

void appendWeight(std::string& key, Group group, uint32_t weight)
{
    const char bytes[4] = {char(group), char(weight >> 16 & 0xFF), char(weight >> 8 & 0xFF),
                           char(weight & 0xFF)};
    key.append(bytes, 4);
}

// The base letter of an accented Latin letter and its first mark.
std::pair<char32_t, char32_t> splitAccent(char32_t c)
{
    if (c < 0xC0)
        return {c, 0};
    const QString decomposed = QChar::decomposition(c);
    if (decomposed.size() < 2 || QChar::decompositionTag(c) != QChar::Canonical)
        return {c, 0};
    const std::u32string parts = decomposed.toStdU32String();
    char32_t base = parts.front();
    // Letters such as ǖ decompose in steps.
    while (QChar::decompositionTag(base) == QChar::Canonical) {
        const std::u32string inner = QChar::decomposition(base).toStdU32String();
        if (inner.empty())
            break;
        base = inner.front();
    }
    return {base, parts.back()};
}

// Kana of one sound tie in the Japanese collation whatever their type and
// width, except that a half-width voiced kana (two characters) comes after
// the full-width one; hiragana, katakana, half-width keeps that and is stable.
uint8_t widthClass(char32_t c)
{
    if (c >= 0xFF61 && c <= 0xFF9F)
        return 3; // half-width katakana
    if (c >= 0x30A0 && c <= 0x30FF)
        return 2;
    if (c >= 0xFF01 && c <= 0xFF5E)
        return 2; // full-width Latin, digits and symbols
    return 1;
}

} // namespace

QString foldForComparison(QStringView text)
{
    return fromCodePoints(foldToUcs4(text));
}

QString fromCodePoints(std::u32string_view codePoints)
{
    QString text;
    text.reserve(qsizetype(codePoints.size()));
    for (const char32_t c : codePoints)
        text.append(QChar::fromUcs4(c));
    return text;
}

bool sameUnderRule(QStringView a, QStringView b)
{
    return foldToUcs4(a) == foldToUcs4(b);
}

std::u32string foldForComparisonUcs4(QStringView text)
{
    return foldToUcs4(text);
}

std::u32string foldCodePoints(std::u32string_view text)
{
    return foldToUcs4(fromCodePoints(text));
}

QByteArray japaneseSortKey(QStringView text)
{
    // Scratch space kept per thread: a list builds tens of thousands of keys.
    thread_local std::u32string folded;
    thread_local std::string key;
    thread_local std::string secondary;
    thread_local std::string widths;
    foldInto(text, folded);
    key.clear();
    secondary.clear();
    widths.clear();
    const auto& kana = kanaTable();
    char32_t previousKana = 0;
    for (size_t i = 0; i < folded.size(); ++i) {
        const char32_t c = folded[i];
        if (c >= U'0' && c <= U'9') {
            // A run of digits counts as its number: more significant digits
            // make a larger number, equal lengths compare digit by digit.
            size_t end = i;
            while (end < folded.size() && folded[end] >= U'0' && folded[end] <= U'9')
                ++end;
            size_t first = i;
            while (first + 1 < end && folded[first] == U'0')
                ++first;
            const size_t digits = end - first;
            appendWeight(key, kNumber, uint32_t(digits));
            for (size_t d = first; d < end; ++d)
                key += char(folded[d]);
            secondary += char(1);
            i = end - 1;
            previousKana = 0;
            continue;
        }
        if (c < 0x80 && !QChar::isLetter(c)) {
            const auto rank = kAsciiSymbolOrder.find(char16_t(c));
            appendWeight(key, kSymbol,
                         rank != std::u16string_view::npos ? uint32_t(rank)
                         : c == U'$'                       ? kCurrency
                                                           : 0x80 + c);
            secondary += char(1);
            previousKana = 0;
            continue;
        }
        // Kana and kanji are never marks; ask the tables only about the rest.
        const bool common = c >= 0x3040 && c <= kHanLast && c != 0x3099 && c != 0x309A;
        const QChar::Category category = common ? QChar::Letter_Other : QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing) {
            // A mark left on its own changes no letter's place: it only
            // breaks ties, as an accent does.
            secondary += char(2 + (c & 0x3F));
            continue;
        }
        const Group group = groupOf(c);
        switch (group) {
        case kKana: {
            if (c == 0x30FC) {
                // ー sorts as the vowel it lengthens.
                const char32_t vowel = previousKana ? kana[previousKana - 0x3040].vowel : 0;
                if (vowel)
                    appendWeight(key, kKana, vowel);
                else
                    appendWeight(key, kSymbol, kLoneLengthMark);
                secondary += char(1);
                continue;
            }
            if (c >= 0x3040 && c < 0x30A0) {
                const KanaInfo& info = kana[c - 0x3040];
                appendWeight(key, kKana, info.base);
                secondary += char(1 + info.voicing);
                previousKana = c;
            } else {
                appendWeight(key, kKana, c);
                secondary += char(1);
                previousKana = 0;
            }
            continue;
        }
        case kLatin: {
            const auto [base, accent] = splitAccent(c);
            appendWeight(key, kLatin, base);
            secondary += char(accent ? 2 + (accent & 0x3F) : 1);
            break;
        }
        case kKanji:
            appendWeight(key, kKanji, kanjiWeight(c));
            secondary += char(1);
            break;
        case kSymbol:
            appendWeight(key, kSymbol,
                         QChar::category(c) == QChar::Symbol_Currency ? kCurrency : 0x100 + c);
            secondary += char(1);
            break;
        default:
            appendWeight(key, group, c);
            secondary += char(1);
            break;
        }
        previousKana = 0;
    }
    key += char(0);
    key += secondary;
    key += char(0);

    // Letter case before width, as the Japanese collation weighs them: small
    // kana and lower-case letters first.
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        // A letter that folds to several (ß to ss) weighs as that many.
        const size_t count = c >= 0xDF && c < 0x3040
                                 ? std::max<size_t>(foldToUcs4(QString::fromUcs4(&c, 1)).size(), 1)
                                 : 1;
        widths.append(count, char(widthClass(c)));
        // Half-width voicing marks join their letter: no case of their own.
        if (c >= kHanFirst && c <= kHanLast) {
            key += char(2);
            continue;
        }
        if (c < 0x80 ? !((c | 0x20) >= U'a' && (c | 0x20) <= U'z')
                     : (c == 0xFF9E || c == 0xFF9F || !QChar::isLetter(c)))
            continue;
        bool upper;
        if (c < 0x80) {
            upper = c <= U'Z';
        } else if (c >= 0x3040 && c < 0x3100) {
            const char32_t hiragana = isKatakanaWithHiragana(c) ? c - 0x60 : c;
            upper = c != 0x30FC && (hiragana >= 0x30A0 || kana[hiragana - 0x3040].small == 0);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            upper = !(c >= 0xFF67 && c <= 0xFF70);
        } else {
            upper = QChar::isUpper(c) ||
                    (QChar::script(c) != QChar::Script_Latin && !QChar::isLower(c));
        }
        key.append(count, char(upper ? 2 : 1));
    }
    key += char(0);
    key += widths;
    key += char(0);
    // The exact spelling last, as UTF-8, whose byte order is code point order.
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        if (c < 0x80) {
            key += char(c);
        } else if (c < 0x800) {
            key += char(0xC0 | c >> 6);
            key += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            key += char(0xE0 | c >> 12);
            key += char(0x80 | (c >> 6 & 0x3F));
            key += char(0x80 | (c & 0x3F));
        } else {
            key += char(0xF0 | c >> 18);
            key += char(0x80 | (c >> 12 & 0x3F));
            key += char(0x80 | (c >> 6 & 0x3F));
            key += char(0x80 | (c & 0x3F));
        }
    }
    return QByteArray(key.data(), qsizetype(key.size()));
}

namespace
{

void foldFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray folded =
        foldForComparison(QString::fromUtf8(text, sqlite3_value_bytes(args[0]))).toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

void sortKeyFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray key = japaneseSortKey(QString::fromUtf8(text, sqlite3_value_bytes(args[0])));
    sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

void registerFunction(SqliteDatabase& db, const char* name, int arguments,
                      void (*function)(sqlite3_context*, int, sqlite3_value**))
{
    if (sqlite3_create_function(db.handle(), name, arguments,
                                SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                function, nullptr, nullptr) != SQLITE_OK)
        throw DbError(std::string("register ") + name);
}

} // namespace

void registerTextRule(SqliteDatabase& db)
{
    registerFunction(db, "ruled_fold", 1, &foldFunction);
    registerFunction(db, "ruled_sortkey", 1, &sortKeyFunction);
    registerJetLike(db);
}
