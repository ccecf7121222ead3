#include "store/jet_pattern.h"

#include <vector>

#include <sqlite3.h>

#include <QString>

#include "platform/database.h"

namespace {

char32_t fold(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 0x20;
    if (c >= U'\uFF21' && c <= U'\uFF3A') // full-width Ａ to Ｚ
        return c + 0x20;
    return c;
}

bool isDigit(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'\uFF10' && c <= U'\uFF19');
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

bool Pattern::Item::matches(char32_t c) const
{
    switch (kind) {
    case Kind::Literal:
        return fold(c) == literal;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return isDigit(c);
    case Kind::Set: {
        const char32_t f = fold(c);
        bool inSet = false;
        for (const auto& [low, high] : ranges)
            inSet = inSet || (f >= low && f <= high);
        return inSet != negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

std::optional<Pattern> compile(const std::u32string& source)
{
    Pattern pattern;
    for (size_t i = 0; i < source.size(); ++i) {
        const char32_t c = source[i];
        Pattern::Item item;
        item.kind = Pattern::Kind::Literal;
        if (c == U'*') {
            // A run of stars is one star; collapsing keeps matching linear.
            if (!pattern.items.empty() && pattern.items.back().kind == Pattern::Kind::AnyRun)
                continue;
            item.kind = Pattern::Kind::AnyRun;
        } else if (c == U'?') {
            item.kind = Pattern::Kind::AnyOne;
        } else if (c == U'#') {
            item.kind = Pattern::Kind::Digit;
        } else if (c == U'[') {
            const size_t close = source.find(U']', i + 1);
            if (close == std::u32string::npos)
                return std::nullopt;
            item.kind = Pattern::Kind::Set;
            size_t j = i + 1;
            if (j < close && source[j] == U'!') {
                item.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                const char32_t low = fold(source[j]);
                if (j + 2 < close && source[j + 1] == U'-') {
                    const char32_t high = fold(source[j + 2]);
                    item.ranges.emplace_back(low, high);
                    j += 2;
                } else {
                    item.ranges.emplace_back(low, low);
                }
            }
            i = close;
        } else {
            item.literal = fold(c);
        }
        pattern.items.push_back(std::move(item));
    }
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
        sqlite3_result_int(context, match(*cached, fromUtf8(text)) ? 1 : 0);
        return;
    }
    auto compiled = compile(fromUtf8(patternText));
    if (!compiled) {
        sqlite3_result_error(context, "malformed pattern", -1);
        return;
    }
    sqlite3_result_int(context, match(*compiled, fromUtf8(text)) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, new Pattern(std::move(*compiled)),
                        [](void* p) { delete static_cast<Pattern*>(p); });
}

} // namespace

std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text)
{
    const auto compiled = compile(pattern.toString().toStdU32String());
    if (!compiled)
        return std::nullopt;
    return match(*compiled, text.toString().toStdU32String());
}

void registerJetLike(SqliteDatabase& db)
{
    sqlite3_create_function(db.handle(), "jetlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                            nullptr, &jetLikeFunction, nullptr, nullptr);
}
