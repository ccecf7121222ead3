#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QStringView>

// Matches text against a pattern of the catalogue's LIKE language, comparing
// under the catalogue's comparison rule (width, case and kana type ignored):
//   *  any run of characters      ?  any one character
//   #  any one digit              [list] one character of the list (a-z ranges)
//   [!list] one character not in the list
// Only the ASCII forms of * ? # [ ] ! - are pattern characters; every other
// character, SQL's % and _ and full-width ＊ included, stands for itself.
// Range ends are folded too, so [ｱ-ｵ] is [あ-お] and [Ａ-Ｚ] is [a-z].
// Returns nullopt for a malformed pattern (a "[" without its "]").
std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text);

// A pattern compiled once, for matching it against many texts (the rows of a
// query). Copies share the compiled form.
class JetPattern
{
public:
    // nullopt for a malformed pattern.
    static std::optional<JetPattern> compile(QStringView pattern);
    // text already folded under the comparison rule (foldForComparisonUcs4).
    bool matchesFolded(const std::u32string& folded) const;
    // The longest run of plain characters, folded, that every matching text
    // holds in its folded form; empty when the pattern has none. A store
    // that cannot run the pattern itself narrows the candidates by it.
    const std::u32string& longestLiteral() const;

private:
    struct Compiled;
    JetPattern() = default;
    std::shared_ptr<const Compiled> m_compiled;
};
