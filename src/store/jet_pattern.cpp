#include "store/jet_pattern.h"

#include <memory>
#include <vector>

#include <QString>

#include "store/text_fold.h"

namespace
{

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

struct Pattern {
    enum class Kind { Literal, AnyOne, Digit, Set, AnyRun };
    struct Item {
        Kind kind = Kind::Literal;
        char32_t literal = 0;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool matches(char32_t c) const;
    };
    std::vector<Item> items;
};

// Pattern items and the text are both compared in the comparison rule's
// folded form, so matches() sees folded characters only.
bool Pattern::Item::matches(char32_t c) const
{
    switch (kind) {
    case Kind::Literal:
        return c == literal;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return isDigit(c);
    case Kind::Set: {
        bool inSet = false;
        for (const auto& [low, high] : ranges)
            inSet = inSet || (c >= low && c <= high);
        return inSet != negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

std::u32string foldRun(const std::u32string& run)
{
    return foldCodePoints(run);
}

// The contents of a [list]: runs between ASCII "-" are folded as a whole (so
// ｶﾞ is one letter, が), then a "-" between two characters makes a range of
// the folded ends; a "-" at either end stands for itself.
void compileSet(const std::u32string& body, Pattern::Item& item)
{
    constexpr char32_t kDash = 0x110000; // outside Unicode: the ASCII "-" itself
    std::u32string tokens;
    std::u32string run;
    for (const char32_t c : body) {
        if (c == U'-') {
            tokens += foldRun(run);
            run.clear();
            tokens += kDash;
        } else {
            run += c;
        }
    }
    tokens += foldRun(run);
    // Any character, "-" included, before a "-" that is not last in the list
    // starts a range, as in "[+--]"; a range whose ends are the wrong way
    // round, such as "[a--]", holds nothing.
    const auto plain = [&](size_t k) { return tokens[k] == kDash ? U'-' : tokens[k]; };
    for (size_t j = 0; j < tokens.size(); ++j) {
        if (j + 2 < tokens.size() && tokens[j + 1] == kDash) {
            item.ranges.emplace_back(plain(j), plain(j + 2));
            j += 2;
        } else {
            item.ranges.emplace_back(plain(j), plain(j));
        }
    }
}

std::optional<Pattern> compile(const std::u32string& source)
{
    Pattern pattern;
    std::u32string literals;
    // Literal text is folded a run at a time, so NFKC sees whole letters
    // (a half-width kana with its voicing mark) before they become items.
    const auto flushLiterals = [&] {
        for (const char32_t c : foldRun(literals)) {
            Pattern::Item item;
            item.literal = c;
            pattern.items.push_back(std::move(item));
        }
        literals.clear();
    };
    for (size_t i = 0; i < source.size(); ++i) {
        const char32_t c = source[i];
        if (c != U'*' && c != U'?' && c != U'#' && c != U'[') {
            literals += c;
            continue;
        }
        flushLiterals();
        Pattern::Item item;
        if (c == U'*') {
            // A run of stars is one star; collapsing keeps matching linear.
            if (!pattern.items.empty() && pattern.items.back().kind == Pattern::Kind::AnyRun)
                continue;
            item.kind = Pattern::Kind::AnyRun;
        } else if (c == U'?') {
            item.kind = Pattern::Kind::AnyOne;
        } else if (c == U'#') {
            item.kind = Pattern::Kind::Digit;
        } else {
            const size_t close = source.find(U']', i + 1);
            if (close == std::u32string::npos)
                return std::nullopt;
            item.kind = Pattern::Kind::Set;
            size_t j = i + 1;
            if (j < close && source[j] == U'!') {
                item.negated = true;
                ++j;
            }
            compileSet(source.substr(j, close - j), item);
            i = close;
        }
        pattern.items.push_back(std::move(item));
    }
    flushLiterals();
    return pattern;
}

// A run of literal letters found with Knuth-Morris-Pratt: every text letter
// is looked at a bounded number of times, however the run repeats itself.
class LiteralRun
{
public:
    LiteralRun() = default;
    explicit LiteralRun(std::u32string letters) : m_letters(std::move(letters))
    {
        m_border.assign(m_letters.size(), 0);
        size_t k = 0;
        for (size_t i = 1; i < m_letters.size(); ++i) {
            while (k > 0 && m_letters[i] != m_letters[k])
                k = m_border[k - 1];
            if (m_letters[i] == m_letters[k])
                ++k;
            m_border[i] = k;
        }
    }

    size_t size() const { return m_letters.size(); }

    // Calls accept(start) for each occurrence inside text[from, limit), left
    // to right, until it returns true; returns that start, or npos.
    template <typename Accept>
    size_t find(const std::u32string& text, size_t from, size_t limit, Accept&& accept) const
    {
        const size_t m = m_letters.size();
        if (m == 0)
            return from <= limit && accept(from) ? from : std::u32string::npos;
        size_t k = 0;
        for (size_t i = from; i < limit; ++i) {
            while (k > 0 && text[i] != m_letters[k])
                k = m_border[k - 1];
            if (text[i] == m_letters[k])
                ++k;
            if (k == m) {
                if (accept(i + 1 - m))
                    return i + 1 - m;
                k = m_border[k - 1];
            }
        }
        return std::u32string::npos;
    }

private:
    std::u32string m_letters;
    std::vector<size_t> m_border;
};

// The items between two stars: each takes exactly one letter, so a segment
// has a fixed length. Its longest literal run is the anchor that a search
// looks for; the other items are checked around each occurrence.
struct Segment {
    std::vector<Pattern::Item> items;
    size_t anchorOffset = 0;
    LiteralRun anchor;

    bool matchesAt(const std::u32string& text, size_t at) const
    {
        for (size_t i = 0; i < items.size(); ++i) {
            if (i >= anchorOffset && i < anchorOffset + anchor.size())
                continue;
            if (!items[i].matches(text[at + i]))
                return false;
        }
        return true;
    }

    bool anchoredAt(const std::u32string& text, size_t at) const
    {
        for (size_t i = 0; i < items.size(); ++i) {
            if (!items[i].matches(text[at + i]))
                return false;
        }
        return true;
    }

    // The leftmost start p >= from with the segment inside [p, limit).
    size_t findFirst(const std::u32string& text, size_t from, size_t limit) const
    {
        const size_t length = items.size();
        if (limit < from || limit - from < length)
            return std::u32string::npos;
        const size_t lastStart = limit - length;
        if (anchor.size() == 0) {
            for (size_t p = from; p <= lastStart; ++p) {
                if (matchesAt(text, p))
                    return p;
            }
            return std::u32string::npos;
        }
        const size_t found =
            anchor.find(text, from + anchorOffset, lastStart + anchorOffset + anchor.size(),
                        [&](size_t runStart) { return matchesAt(text, runStart - anchorOffset); });
        return found == std::u32string::npos ? found : found - anchorOffset;
    }
};

// A compiled pattern as segments separated by stars. Without a star the one
// segment must cover the whole text; otherwise the first is held at the
// start, the last at the end, and each one between is taken at its leftmost
// place after the one before: since every segment has a fixed length, the
// leftmost place never loses a match that a later one would have given.
struct Matcher {
    std::vector<Segment> segments;
    bool hasStar = false;

    explicit Matcher(const Pattern& pattern)
    {
        segments.emplace_back();
        for (const Pattern::Item& item : pattern.items) {
            if (item.kind == Pattern::Kind::AnyRun) {
                hasStar = true;
                segments.emplace_back();
            } else {
                segments.back().items.push_back(item);
            }
        }
        for (Segment& segment : segments) {
            size_t bestOffset = 0;
            size_t bestLength = 0;
            for (size_t i = 0; i < segment.items.size();) {
                size_t j = i;
                while (j < segment.items.size() && segment.items[j].kind == Pattern::Kind::Literal)
                    ++j;
                if (j - i > bestLength) {
                    bestOffset = i;
                    bestLength = j - i;
                }
                i = j == i ? i + 1 : j;
            }
            std::u32string letters;
            for (size_t i = bestOffset; i < bestOffset + bestLength; ++i)
                letters += segment.items[i].literal;
            segment.anchorOffset = bestOffset;
            segment.anchor = LiteralRun(std::move(letters));
        }
    }

    bool match(const std::u32string& text) const
    {
        const Segment& first = segments.front();
        if (!hasStar)
            return text.size() == first.items.size() && first.anchoredAt(text, 0);
        const Segment& last = segments.back();
        if (text.size() < first.items.size() + last.items.size())
            return false;
        const size_t lastStart = text.size() - last.items.size();
        if (!first.anchoredAt(text, 0) || !last.anchoredAt(text, lastStart))
            return false;
        size_t from = first.items.size();
        for (size_t s = 1; s + 1 < segments.size(); ++s) {
            const size_t found = segments[s].findFirst(text, from, lastStart);
            if (found == std::u32string::npos)
                return false;
            from = found + segments[s].items.size();
        }
        return true;
    }
};

} // namespace

struct JetPattern::Compiled {
    Matcher matcher;
    std::u32string longestLiteral;
};

std::optional<JetPattern> JetPattern::compile(QStringView pattern)
{
    auto compiled = ::compile(pattern.toString().toStdU32String());
    if (!compiled)
        return std::nullopt;
    std::u32string longest;
    std::u32string run;
    for (const Pattern::Item& item : compiled->items) {
        if (item.kind == Pattern::Kind::Literal) {
            run += item.literal;
            continue;
        }
        if (run.size() > longest.size())
            longest = run;
        run.clear();
    }
    if (run.size() > longest.size())
        longest = run;
    JetPattern result;
    result.m_compiled =
        std::make_shared<const Compiled>(Compiled{Matcher(*compiled), std::move(longest)});
    return result;
}

const std::u32string& JetPattern::longestLiteral() const
{
    return m_compiled->longestLiteral;
}

bool JetPattern::matchesFolded(const std::u32string& folded) const
{
    return m_compiled->matcher.match(folded);
}

std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text)
{
    const auto compiled = JetPattern::compile(pattern);
    if (!compiled)
        return std::nullopt;
    return compiled->matchesFolded(foldForComparisonUcs4(text));
}
