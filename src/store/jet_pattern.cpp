#include "store/jet_pattern.h"

#include <vector>

#include <sqlite3.h>

#include <QString>

#include "platform/database.h"
#include "store/text_rule.h"

namespace {

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
    return foldForComparisonUcs4(QString::fromStdU32String(run));
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

// Greedy matching with one back-tracking point per star: linear in practice
// and never exponential, whatever the user types.
bool match(const Pattern& pattern, const std::u32string& text)
{
    size_t p = 0;
    size_t t = 0;
    size_t starP = std::u32string::npos;
    size_t starT = 0;
    const auto& items = pattern.items;
    while (t < text.size()) {
        if (p < items.size() && items[p].kind == Pattern::Kind::AnyRun) {
            starP = p++;
            starT = t;
        } else if (p < items.size() && items[p].matches(text[t])) {
            ++p;
            ++t;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == Pattern::Kind::AnyRun)
        ++p;
    return p == items.size();
}

std::u32string fromUtf8(const char* text)
{
    return QString::fromUtf8(text).toStdU32String();
}

std::u32string foldedFromUtf8(const char* text)
{
    return foldForComparisonUcs4(QString::fromUtf8(text));
}

void jetLikeFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* patternText = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    if (!patternText || !text) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The pattern is the same for every row of a query: compile it once and
    // let the engine keep it beside the statement.
    if (const auto* cached = static_cast<const Pattern*>(sqlite3_get_auxdata(context, 0))) {
        sqlite3_result_int(context, match(*cached, foldedFromUtf8(text)) ? 1 : 0);
        return;
    }
    auto compiled = compile(fromUtf8(patternText));
    if (!compiled) {
        sqlite3_result_error(context, "malformed pattern", -1);
        return;
    }
    sqlite3_result_int(context, match(*compiled, foldedFromUtf8(text)) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, new Pattern(std::move(*compiled)),
                        [](void* p) { delete static_cast<Pattern*>(p); });
}

} // namespace

std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text)
{
    const auto compiled = compile(pattern.toString().toStdU32String());
    if (!compiled)
        return std::nullopt;
    return match(*compiled, foldForComparisonUcs4(text));
}

void registerJetLike(SqliteDatabase& db)
{
    sqlite3_create_function(db.handle(), "jetlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            &jetLikeFunction, nullptr, nullptr);
}
