#include "PageText.h"

#include <array>
#include <iterator>

namespace leafmark::pagemaker {
namespace {

constexpr std::array kWords = {
    "the",
    "of",
    "and",
    "to",
    "in",
    "for",
    "is",
    "on",
    "that",
    "by",
    "this",
    "with",
    "you",
    "it",
    "not",
    "or",
    "be",
    "are",
    "from",
    "at",
    "as",
    "your",
    "all",
    "have",
    "new",
    "more",
    "an",
    "was",
    "we",
    "will",
    "can",
    "about",
    "if",
    "page",
    "my",
    "has",
    "free",
    "but",
    "our",
    "one",
    "other",
    "do",
    "no",
    "information",
    "time",
    "they",
    "site",
    "he",
    "up",
    "may",
    "what",
    "which",
    "their",
    "news",
    "out",
    "use",
    "any",
    "there",
    "see",
    "only",
    "so",
    "his",
    "when",
    "contact",
    "here",
    "business",
    "who",
    "also",
    "now",
    "help",
    "get",
    "view",
    "online",
    "first",
    "been",
    "would",
    "how",
    "were",
    "me",
    "services",
    "some",
    "these",
    "click",
    "its",
    "like",
    "service",
    "than",
    "find",
    "price",
    "date",
    "back",
    "top",
    "people",
    "had",
    "list",
    "name",
    "just",
    "over",
    "state",
    "year",
    "day",
    "into",
    "email",
    "two",
    "health",
    "world",
    "next",
    "used",
    "go",
    "work",
    "last",
    "most",
    "products",
    "music",
    "buy",
    "data",
    "make",
    "them",
    "should",
    "product",
    "system",
    "post",
    "her",
    "city",
    "add",
    "policy",
    "number",
    "such",
    "please",
    "available",
    "copyright",
    "support",
    "message",
    "after",
    "best",
    "software",
    "then",
    "good",
    "video",
    "well",
    "where",
    "info",
    "rights",
    "public",
    "books",
    "high",
    "school",
    "through",
    "each",
    "links",
    "she",
    "review",
    "years",
    "order",
    "very",
    "privacy",
    "book",
    "items",
    "company",
    "read",
    "group",
    "need",
    "many",
    "user",
    "said",
    "does",
    "set",
    "under",
    "general",
    "research",
    "university",
    "january",
    "mail",
    "full",
    "map",
    "reviews",
    "program",
    "life",
    "know",
    "games",
    "way",
    "days",
    "management",
    "part",
    "could",
    "great",
    "united",
    "hotel",
    "real",
    "item",
    "international",
    "center",
    "must",
    "store",
    "travel",
    "comments",
    "made",
    "development",
    "report",
    "off",
    "member",
    "details",
    "line",
    "terms",
    "before",
    "hotels",
    "did",
    "send",
    "right",
    "type",
    "because",
    "local",
    "those",
    "using",
    "results",
    "office",
    "education",
    "national",
    "car",
    "design",
    "take",
    "posted",
    "internet",
    "address",
    "community",
    "within",
    "states",
    "area",
    "want",
    "phone",
    "shipping",
    "reserved",
    "subject",
    "between",
    "forum",
    "family",
    "long",
    "based",
    "account",
    "statement",
    "balance",
    "payment",
    "received",
    "enclosed",
    "agreement",
    "record",
    "invoice",
    "amount",
    "period",
    "notice",
    "request",
    "signed",
};

constexpr std::array kHeadingWords = {
    "Notice",  "Account",  "Statement", "Review",  "Agreement", "Summary",  "Report",
    "Payment", "Schedule", "Request",   "Records", "Transfer",  "Annual",   "Quarterly",
    "Service", "Claim",    "Policy",    "Renewal", "Office",    "Property", "Contract",
};

constexpr std::array kSyllables = {"mar", "ten", "wil", "son", "har", "ro",  "bel", "dan",
                                   "ker", "lo",  "ves", "ton", "al",  "ric", "mo",  "ney",
                                   "pel", "ga",  "rin", "sha", "do",  "ber", "ka",  "lin"};

constexpr std::array kStreets = {"Main Street", "Oak Avenue", "Mill Road",   "Park Lane",
                                 "High Street", "Elm Drive",  "Bridge Road", "Lake View"};

template <typename Array>
const char* pick(SeededRandom& random, const Array& words) {
    return words[static_cast<std::size_t>(
        random.between(0, static_cast<int>(std::size(words)) - 1))];
}

QString capitalised(QString word) {
    if (!word.isEmpty()) word[0] = word[0].toUpper();
    return word;
}

QString madeUpName(SeededRandom& random) {
    QString name;
    const int parts = random.between(2, 3);
    for (int i = 0; i < parts; ++i) name += QString::fromLatin1(pick(random, kSyllables));
    return capitalised(name);
}

QString personName(SeededRandom& random) {
    return capitalised(QString::fromLatin1(pick(random, kSyllables)) +
                       QString::fromLatin1(pick(random, kSyllables))) +
           QStringLiteral(" ") + madeUpName(random);
}

QString heading(SeededRandom& random) {
    QString h = QString::fromLatin1(pick(random, kHeadingWords));
    const int extra = random.between(1, 3);
    for (int i = 0; i < extra; ++i) {
        h += random.chance(0.3) ? QStringLiteral(" of ") : QStringLiteral(" ");
        h += QString::fromLatin1(pick(random, kHeadingWords));
    }
    return h;
}

QString paragraph(SeededRandom& random) {
    QString text;
    const int sentences = random.between(2, 7);
    for (int i = 0; i < sentences; ++i) {
        if (i > 0) text += QLatin1Char(' ');
        text += makeSentence(random, random.between(5, 22));
    }
    return text;
}

}  // namespace

QString makeSentence(SeededRandom& random, int words) {
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            s += (i > 3 && i + 2 < words && random.chance(0.07)) ? QStringLiteral(", ")
                                                                 : QStringLiteral(" ");
        if (random.chance(0.04)) {
            s += QString::number(random.between(2, 9999));
        } else {
            s += QString::fromLatin1(pick(random, kWords));
        }
    }
    return capitalised(s) + QLatin1Char('.');
}

std::vector<TextBlock> makePageText(SeededRandom& random) {
    std::vector<TextBlock> blocks;
    auto add = [&blocks](TextBlock::Kind kind, QString text) {
        blocks.push_back(TextBlock{kind, std::move(text)});
    };

    // Letterhead and addressee.
    add(TextBlock::ShortLine, madeUpName(random) + QStringLiteral(" & ") + madeUpName(random));
    add(TextBlock::ShortLine, QString::number(random.between(1, 980)) + QLatin1Char(' ') +
                                  QString::fromLatin1(pick(random, kStreets)));
    add(TextBlock::ShortLine,
        madeUpName(random) + QStringLiteral(", ") + QString::number(random.between(10000, 99999)));
    add(TextBlock::Gap, {});
    add(TextBlock::ShortLine, QStringLiteral("%1/%2/%3")
                                  .arg(random.between(1, 12))
                                  .arg(random.between(1, 28))
                                  .arg(random.between(1988, 2009)));
    add(TextBlock::Gap, {});
    add(TextBlock::Heading, heading(random));

    const int paragraphs = random.between(4, 9);
    for (int i = 0; i < paragraphs; ++i) {
        if (i > 0 && random.chance(0.25)) add(TextBlock::Heading, heading(random));
        add(TextBlock::Paragraph, paragraph(random));
        if (random.chance(0.2)) {
            // A short list of items, each on its own line.
            const int items = random.between(2, 4);
            for (int k = 0; k < items; ++k)
                add(TextBlock::ShortLine, QStringLiteral("%1.  ").arg(k + 1) +
                                              makeSentence(random, random.between(2, 6)));
        }
    }

    add(TextBlock::Gap, {});
    add(TextBlock::ShortLine, QStringLiteral("Sincerely,"));
    add(TextBlock::Gap, {});
    add(TextBlock::ShortLine, personName(random));
    return blocks;
}

}  // namespace leafmark::pagemaker
