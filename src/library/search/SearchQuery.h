#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// One thing all results must contain.
struct SearchTerm {
    enum class Kind { word, prefix, phrase };
    Kind kind = Kind::word;
    QString text; // as typed, without quotes or the trailing '*'

    bool operator==(const SearchTerm& other) const = default;
};

// A search as the user types it: words (all must match), "exact phrases", prefix*,
// speaker:Name (or speaker:"Full Name"), after:YYYY-MM-DD (meetings on or after that day)
// and before:YYYY-MM-DD (meetings before that day). Any text parses: an unclosed quote
// makes the rest plain words, lone operators and punctuation are dropped; only what cannot
// be searched for at all (no words, a date that is not a date, too many words) gives an
// error message meant for the user.
class SearchQuery {
public:
    static constexpr int maxTerms = 32;

    static SearchQuery parse(const QString& input);

    QList<SearchTerm> terms;
    std::optional<QString> speaker;
    std::optional<QDate> after;
    std::optional<QDate> before;
    QString error; // empty when the query can run

    bool isValid() const { return error.isEmpty(); }
    // The FTS5 match expression (columns "speaker" and "body"). Every user text is inside a
    // quoted string, so nothing typed can become an operator or break the syntax.
    QString matchExpression() const;
};

} // namespace velmora
