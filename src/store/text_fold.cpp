#include "store/text_fold.h"

#include <array>
#include <string>

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

char16_t nfkcOfHalfWidthKana(char16_t c)
{
    if (c < 0xFF61 || c > 0xFF9F)
        return c;
    const char16_t mapped = quickFoldTables().halfWidth[c - 0xFF61];
    return mapped ? mapped : c;
}
