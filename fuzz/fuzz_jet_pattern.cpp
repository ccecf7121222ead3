// The LIKE matcher against a plain reference: a table of which pattern
// prefixes match which text prefixes, slow but obviously right.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "fuzz_input.h"
#include "store/jet_pattern.h"

namespace
{

// Letter case as the matcher folds it; only ASCII is compared against the
// reference, so a wider folding rule in the matcher needs no change here.
char32_t fold(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
}

struct Item {
    enum Kind { Literal, One, Digit, Set, Run } kind = Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

// nullopt for a "[" with no "]" after it.
std::optional<std::vector<Item>> parse(const std::u32string& p)
{
    std::vector<Item> items;
    for (size_t i = 0; i < p.size(); ++i) {
        Item item;
        switch (p[i]) {
        case U'*':
            item.kind = Item::Run;
            break;
        case U'?':
            item.kind = Item::One;
            break;
        case U'#':
            item.kind = Item::Digit;
            break;
        case U'[': {
            const size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos)
                return std::nullopt;
            item.kind = Item::Set;
            size_t j = i + 1;
            if (j < close && p[j] == U'!') {
                item.negated = true;
                ++j;
            }
            while (j < close) {
                // "a-z" is a range; a "-" first or last in the list is itself.
                if (j + 2 < close && p[j + 1] == U'-') {
                    item.ranges.emplace_back(fold(p[j]), fold(p[j + 2]));
                    j += 3;
                } else {
                    item.ranges.emplace_back(fold(p[j]), fold(p[j]));
                    ++j;
                }
            }
            i = close;
            break;
        }
        default:
            item.literal = fold(p[i]);
        }
        items.push_back(item);
    }
    return items;
}

bool matchesOne(const Item& item, char32_t c)
{
    switch (item.kind) {
    case Item::Literal:
        return fold(c) == item.literal;
    case Item::One:
        return true;
    case Item::Digit:
        return c >= U'0' && c <= U'9';
    case Item::Set: {
        bool in = false;
        for (const auto& [low, high] : item.ranges)
            in = in || (fold(c) >= low && fold(c) <= high);
        return in != item.negated;
    }
    case Item::Run:
        break;
    }
    return false;
}

// can[j] after row i: the first i items match the first j characters.
bool referenceMatch(const std::vector<Item>& items, const std::u32string& text)
{
    std::vector<bool> can(text.size() + 1, false);
    can[0] = true;
    for (const Item& item : items) {
        std::vector<bool> next(text.size() + 1, false);
        for (size_t j = 0; j <= text.size(); ++j) {
            if (item.kind == Item::Run)
                next[j] = can[j] || (j > 0 && next[j - 1]);
            else
                next[j] = j > 0 && can[j - 1] && matchesOne(item, text[j - 1]);
        }
        can = std::move(next);
    }
    return can[text.size()];
}

bool isAscii(const std::u32string& s)
{
    for (char32_t c : s) {
        if (c > 0x7F)
            return false;
    }
    return true;
}

[[noreturn]] void fail(const char* what, const QString& pattern, const QString& text)
{
    std::fprintf(stderr, "%s\n  pattern: %s\n  text: %s\n", what, qPrintable(pattern),
                 qPrintable(text));
    std::abort();
}

// Pattern characters, letters at the ends of their ranges in both widths,
// digits in both widths and a few others: a byte picks one, so short inputs
// reach every rule.
constexpr char32_t kAlphabet[] = {U'*',  U'?',  U'#', U'[',  U']',  U'!',  U'-',
                                  U'a',  U'z',  U'A', U'Z',  U'm',  U'0',  U'9',
                                  U'%',  U'_',  U' ', U'ａ', U'ｚ', U'Ａ', U'Ｚ',
                                  U'０', U'９', U'é', U'É',  U'ß',  U'漢', U'\U0001F600'};

QString fromAlphabet(const uint8_t* data, size_t size)
{
    std::u32string out;
    for (size_t i = 0; i < size; ++i)
        out += kAlphabet[data[i] % std::size(kAlphabet)];
    return QString::fromStdU32String(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The pattern, then the text: letters of the alphabet below, any UTF-8
    // (broken sequences included) or any UTF-16 (lone surrogates included).
    const uint8_t mode = data[0] % 3;
    QString pattern;
    QString text;
    if (mode == 0) {
        size_t split = 1;
        while (split < size && data[split] != 0)
            ++split;
        pattern = fromAlphabet(data + 1, split - 1);
        text = split < size ? fromAlphabet(data + split + 1, size - split - 1) : QString();
    } else {
        const QStringList texts = splitTexts(data + 1, size - 1, mode == 2, 2);
        pattern = texts[0];
        text = texts[1];
    }
    // The table is the pattern's length times the text's: keep it small.
    if (pattern.size() > 200 || text.size() > 2000)
        return 0;

    const std::optional<bool> got = jetLikeMatch(pattern, text);
    const std::u32string p32 = pattern.toStdU32String();
    const std::u32string t32 = text.toStdU32String();
    const auto items = parse(p32);
    if (got.has_value() != items.has_value())
        fail(got ? "a malformed pattern was accepted" : "a sound pattern was refused", pattern,
             text);
    if (got && isAscii(p32) && isAscii(t32) && *got != referenceMatch(*items, t32))
        fail(*got ? "matched, the reference does not" : "did not match, the reference does",
             pattern, text);

    // Whatever the folding rule: the text matches itself with its pattern
    // characters each put in a list of one, and "*" matches anything.
    QString literal;
    for (QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            literal += QLatin1Char('[') + c + QLatin1Char(']');
        else
            literal += c;
    }
    if (jetLikeMatch(literal, text) != std::optional<bool>(true))
        fail("the text does not match itself", literal, text);
    if (jetLikeMatch(u"*", text) != std::optional<bool>(true))
        fail("* does not match", QStringLiteral("*"), text);
    return 0;
}
