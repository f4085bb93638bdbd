#include "library/search/SearchQuery.h"

#include "library/search/SearchText.h"

#include <QStringList>

namespace velmora {

namespace {

// Reads the query text left to right.
class QueryScanner {
public:
    explicit QueryScanner(QString text) : text_(std::move(text)) {
        // NUL and other control characters separate words like spaces.
        for (QChar& c : text_) {
            if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
                c = QLatin1Char(' ');
        }
    }

    bool atEnd() {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        return pos_ >= text_.size();
    }
    bool startsQuote() const { return text_[pos_] == QLatin1Char('"'); }

    // After an opening quote: the text up to the closing one. An unclosed quote yields none
    // and leaves the rest to be read as plain words.
    std::optional<QString> quoted() {
        const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_ + 1);
        if (close < 0) {
            ++pos_;
            return std::nullopt;
        }
        QString inside = text_.mid(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        return inside;
    }

    // Up to white space or a quote.
    QString bare() {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && !text_[pos_].isSpace() && text_[pos_] != QLatin1Char('"'))
            ++pos_;
        return text_.mid(start, pos_ - start);
    }

    // The value of a "key:" operator: quoted or bare.
    QString value() {
        if (pos_ < text_.size() && startsQuote()) {
            if (auto inside = quoted())
                return *inside;
        }
        return bare();
    }

    // Consumes `key` followed by ':' (any case) if the next word starts with it.
    bool consumeKey(QLatin1String key) {
        const qsizetype end = pos_ + key.size();
        if (end < text_.size() && text_[end] == QLatin1Char(':') &&
            QStringView(text_).mid(pos_, key.size()).compare(key, Qt::CaseInsensitive) == 0) {
            pos_ = end + 1;
            return true;
        }
        return false;
    }

private:
    QString text_;
    qsizetype pos_ = 0;
};

bool hasWords(const QString& text) { return !SearchText::foldedForm(text).isEmpty(); }

QString ftsString(const QString& text) {
    QString inner = SearchText::indexedForm(text);
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

std::optional<QDate> parseDate(const QString& value) {
    const QDate date = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? std::optional(date) : std::nullopt;
}

} // namespace

SearchQuery SearchQuery::parse(const QString& input) {
    SearchQuery query;
    QueryScanner scanner(input);
    const auto addTerm = [&](SearchTerm::Kind kind, const QString& text) {
        if (hasWords(text))
            query.terms.append({kind, text});
    };
    const auto dateOperator = [&](const char* name, std::optional<QDate>& field, const QString& value) {
        field = parseDate(value);
        if (!field && query.error.isEmpty()) {
            query.error = QStringLiteral("%1: needs a date like 2026-03-01, not \"%2\"")
                              .arg(QLatin1String(name), value.left(40));
        }
    };
    while (!scanner.atEnd()) {
        if (scanner.startsQuote()) {
            if (const auto phrase = scanner.quoted())
                addTerm(SearchTerm::Kind::phrase, *phrase);
            continue;
        }
        if (scanner.consumeKey(QLatin1String("speaker"))) {
            const QString name = scanner.value();
            if (hasWords(name))
                query.speaker = name;
            else if (query.error.isEmpty())
                query.error = QStringLiteral("speaker: needs a name, as in speaker:Alice or speaker:\"Ann Lee\"");
            continue;
        }
        if (scanner.consumeKey(QLatin1String("after"))) {
            dateOperator("after", query.after, scanner.value());
            continue;
        }
        if (scanner.consumeKey(QLatin1String("before"))) {
            dateOperator("before", query.before, scanner.value());
            continue;
        }
        QString word = scanner.bare();
        if (word.endsWith(QLatin1Char('*'))) {
            while (word.endsWith(QLatin1Char('*')))
                word.chop(1);
            addTerm(SearchTerm::Kind::prefix, word);
        } else {
            addTerm(SearchTerm::Kind::word, word);
        }
    }
    if (!query.error.isEmpty())
        return query;
    if (query.terms.size() > maxTerms)
        query.error = QStringLiteral("Too many words: a search holds at most %1").arg(maxTerms);
    else if (query.terms.isEmpty() && !query.speaker)
        query.error = QStringLiteral("Nothing to search for: type a word, a \"phrase\" or speaker:Name");
    return query;
}

QString SearchQuery::matchExpression() const {
    QStringList parts;
    if (!terms.isEmpty()) {
        QStringList strings;
        for (const SearchTerm& term : terms) {
            QString string = ftsString(term.text);
            // A lone character of a script without spaces is only indexed inside its pairs.
            const QString folded = SearchText::foldedForm(term.text);
            const bool loneUnspaced = folded.size() == 1 && SearchText::isUnspacedScript(folded.front().unicode());
            if (term.kind == SearchTerm::Kind::prefix || loneUnspaced)
                string += QLatin1String(" *");
            strings.append(string);
        }
        parts.append(QLatin1String("body : (") + strings.join(QLatin1String(" AND ")) + QLatin1Char(')'));
    }
    if (speaker)
        parts.append(QLatin1String("speaker : (") + ftsString(*speaker) + QLatin1Char(')'));
    return parts.join(QLatin1String(" AND "));
}

} // namespace velmora
