// The date edit's text rules on their own: reading displayed texts, messages, formatting, the texts
// code may give, style changes, guided separators and weekday names.
#include "core/DateTime.h"
#include "library/DateText.h"

#include <gtest/gtest.h>

using DateText::Problem;

namespace {

struct ParseCase {
    const char* text;
    int style;
    Problem problem;
    QDate date; // when the text is a date
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << "'" << c.text << "' style " << c.style;
}

class DateTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DateTextParse, ReadsTheDisplayedText) {
    const ParseCase& c = GetParam();
    const DateText::Parsed p = DateText::parse(QString::fromUtf8(c.text), c.style);
    EXPECT_EQ(p.problem, c.problem);
    if (c.problem == Problem::None) {
        EXPECT_EQ(p.date, c.date);
        EXPECT_EQ(DateText::toDate(QString::fromUtf8(c.text), c.style), c.date);
    } else {
        EXPECT_FALSE(DateText::toDate(QString::fromUtf8(c.text), c.style).has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTextParse,
    ::testing::Values(
        ParseCase{"30/12/1899", 0, Problem::None, QDate(1899, 12, 30)},
        ParseCase{"29/12/1899", 0, Problem::None, QDate(1899, 12, 29)},
        ParseCase{"29/02/2024", 0, Problem::None, QDate(2024, 2, 29)},
        ParseCase{"29/02/2000", 0, Problem::None, QDate(2000, 2, 29)},
        ParseCase{"29/02/2023", 0, Problem::BadDay, {}},
        ParseCase{"29/02/1900", 0, Problem::BadDay, {}}, // a century, not a leap year
        ParseCase{"01/01/0100", 0, Problem::None, QDate(100, 1, 1)},
        ParseCase{"31/12/9999", 0, Problem::None, QDate(9999, 12, 31)},
        ParseCase{"31/12/0099", 0, Problem::BadYear, {}}, ParseCase{"31/02/2026", 0, Problem::BadDay, {}},
        ParseCase{"00/01/2026", 0, Problem::BadDay, {}}, ParseCase{"00/13/2026", 0, Problem::BadMonth, {}},
        ParseCase{"12/0_/____", 0, Problem::Incomplete, {}},
        ParseCase{"12/03/20 6", 0, Problem::Incomplete, {}}, // a blank in the year
        ParseCase{"__/__/____", 0, Problem::Empty, {}}, ParseCase{"  /  /    ", 0, Problem::Empty, {}},
        ParseCase{"", 0, Problem::Empty, {}}, ParseCase{"12-03-2026", 0, Problem::Malformed, {}},
        ParseCase{"1/3/2026", 0, Problem::Malformed, {}}, ParseCase{"12/03/2026", 1, Problem::Malformed, {}},
        ParseCase{"03/2026", 1, Problem::None, QDate(2026, 3, 1)},
        ParseCase{"01/0100", 1, Problem::None, QDate(100, 1, 1)},
        ParseCase{"13/2026", 1, Problem::BadMonth, {}}, ParseCase{"00/2026", 1, Problem::BadMonth, {}},
        ParseCase{"03/0099", 1, Problem::BadYear, {}}, ParseCase{"03/20__", 1, Problem::Incomplete, {}},
        ParseCase{"__/____", 1, Problem::Empty, {}}));

TEST(DateTextDays, CountFromTheHostOrigin) {
    EXPECT_EQ(HostDate::fromDate(*DateText::toDate("30/12/1899", 0)), 0);
    EXPECT_EQ(HostDate::fromDate(*DateText::toDate("29/12/1899", 0)), -1);
    EXPECT_EQ(HostDate::fromDate(*DateText::toDate("31/12/1899", 0)), 1);
    EXPECT_EQ(HostDate::fromDate(*DateText::toDate("01/01/1900", 0)), 2);
}

struct MessageCase {
    const char* text;
    int style;
    const char* message; // empty: nothing to report
};

void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << "'" << c.text << "' style " << c.style;
}

class DateTextMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(DateTextMessage, TellsTheUserWhatIsWrong) {
    const MessageCase& c = GetParam();
    EXPECT_EQ(DateText::problemMessage(QString::fromUtf8(c.text), c.style), QString::fromUtf8(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTextMessage,
    ::testing::Values(
        MessageCase{"31/02/2026", 0,
                    "'31/02/2026' não é uma data válida. O dia deve estar entre 01 e 28 em 02/2026."},
        MessageCase{"29/02/2024", 0, ""},
        MessageCase{"30/02/2024", 0,
                    "'30/02/2024' não é uma data válida. O dia deve estar entre 01 e 29 em 02/2024."},
        MessageCase{"00/13/2026", 0, "'00/13/2026' não é uma data válida. O mês deve estar entre 01 e 12."},
        MessageCase{"12/0_/____", 0,
                    "'12/0_/____' não é uma data válida. Informe a data completa, no formato dd/mm/aaaa."},
        MessageCase{"01/01/0050", 0,
                    "'01/01/0050' não é uma data válida. O ano deve estar entre 0100 e 9999."},
        MessageCase{"13/2026", 1, "'13/2026' não é um mês válido. O mês deve estar entre 01 e 12."},
        MessageCase{"1_/____", 1,
                    "'1_/____' não é um mês válido. Informe o mês completo, no formato mm/aaaa."},
        MessageCase{"", 0, ""}, MessageCase{"__/__/____", 0, ""}, MessageCase{"30/12/1899", 0, ""}));

TEST(DateTextFormat, RoundTripsThroughTheParserAndRefusesOutOfRange) {
    for (const QDate& d : {QDate(100, 1, 1), QDate(1899, 12, 29), QDate(2026, 3, 8), QDate(9999, 12, 31)}) {
        EXPECT_EQ(DateText::toDate(DateText::format(d, 0), 0), d) << d.toString().toStdString();
        EXPECT_EQ(DateText::toDate(DateText::format(d, 1), 1), QDate(d.year(), d.month(), 1));
    }
    EXPECT_EQ(DateText::format(QDate(100, 1, 1), 0), "01/01/0100");
    EXPECT_EQ(DateText::format(QDate(2026, 3, 15), 1), "03/2026");
    EXPECT_EQ(DateText::format(QDate(99, 12, 31), 0), "");
    EXPECT_EQ(DateText::format(QDate(10000, 1, 1), 0), "");
    EXPECT_EQ(DateText::format(QDate(), 0), "");
}

struct TextCase {
    const char* in;
    int style;
    const char* out;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << "'" << c.in << "' style " << c.style;
}

class DateTextNormalise : public ::testing::TestWithParam<TextCase> {};

TEST_P(DateTextNormalise, FitsCodeTextsToTheDisplayedShape) {
    const TextCase& c = GetParam();
    EXPECT_EQ(DateText::normalise(QString::fromUtf8(c.in), c.style), QString::fromUtf8(c.out));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTextNormalise,
    ::testing::Values(TextCase{"1/3/2026", 0, "01/03/2026"}, TextCase{"01032026", 0, "01/03/2026"},
                      TextCase{"12.03.2026", 0, "12/03/2026"},
                      TextCase{"31/2/2026", 0, "31/02/2026"}, // not checked here
                      TextCase{"1/3/26", 0, "01/03/26__"},    // a short year is not guessed
                      TextCase{"12/0_/____", 0, "12/0_/____"}, TextCase{"12/0 /    ", 0, "12/0_/____"},
                      TextCase{"  /  /    ", 0, ""}, TextCase{"", 0, ""}, TextCase{"abc", 0, ""},
                      TextCase{"3/2026", 1, "03/2026"}, TextCase{"032026", 1, "03/2026"},
                      TextCase{"123456789012", 0, "12/34/5678"}));

struct ConvertCase {
    const char* text;
    int from, to;
    const char* out;
};

void PrintTo(const ConvertCase& c, std::ostream* os) {
    *os << "'" << c.text << "' " << c.from << "->" << c.to;
}

class DateTextConvert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(DateTextConvert, KeepsTheDateAcrossStyles) {
    const ConvertCase& c = GetParam();
    EXPECT_EQ(DateText::convert(QString::fromUtf8(c.text), c.from, c.to), QString::fromUtf8(c.out));
}

INSTANTIATE_TEST_SUITE_P(Table, DateTextConvert,
                         ::testing::Values(ConvertCase{"15/03/2026", 0, 1, "03/2026"},
                                           ConvertCase{"03/2026", 1, 0, "01/03/2026"},
                                           ConvertCase{"29/12/1899", 0, 1, "12/1899"},
                                           ConvertCase{"__/__/____", 0, 1, ""}, ConvertCase{"", 1, 0, ""},
                                           ConvertCase{"12/__/____", 0, 1, ""}, // only the day was typed
                                           ConvertCase{"__/03/20__", 0, 1, "03/20__"},
                                           ConvertCase{"31/02/2026", 0, 1, "02/2026"},
                                           ConvertCase{"1_/____", 1, 0, "01/1_/____"},
                                           ConvertCase{"15/03/2026", 0, 0, "15/03/2026"}));

struct SeparatorCase {
    const char* text;
    int cursor;
    int style;
    bool handled;
    const char* out;
    int outCursor;
};

void PrintTo(const SeparatorCase& c, std::ostream* os) {
    *os << "'" << c.text << "' at " << c.cursor;
}

class DateTextSeparator : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(DateTextSeparator, ClosesAFieldWithItsLeadingZero) {
    const SeparatorCase& c = GetParam();
    const auto edit = DateText::separatorTyped(QString::fromUtf8(c.text), c.cursor, c.style);
    ASSERT_EQ(edit.has_value(), c.handled);
    if (edit) {
        EXPECT_EQ(edit->text, QString::fromUtf8(c.out));
        EXPECT_EQ(edit->cursor, c.outCursor);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DateTextSeparator,
                         ::testing::Values(SeparatorCase{"1_/__/____", 1, 0, true, "01/__/____", 3},
                                           SeparatorCase{"01/3_/____", 4, 0, true, "01/03/____", 6},
                                           SeparatorCase{"12/__/____", 2, 0, true, "12/__/____", 3},
                                           SeparatorCase{"__/__/____", 0, 0, true, "__/__/____", 0},
                                           SeparatorCase{"01/03/20__", 8, 0, false, "", 0},
                                           SeparatorCase{"3_/____", 1, 1, true, "03/____", 3},
                                           SeparatorCase{"03/20__", 5, 1, false, "", 0},
                                           SeparatorCase{"1/3/2026", 1, 0, false, "", 0}));

struct DayCase {
    QDate date;
    const char* name;
};

void PrintTo(const DayCase& c, std::ostream* os) {
    *os << c.date.toString(Qt::ISODate).toStdString();
}

class DateTextDayName : public ::testing::TestWithParam<DayCase> {};

TEST_P(DateTextDayName, SundayFirst) {
    EXPECT_EQ(DateText::dayName(GetParam().date, DateText::defaultDayNames()),
              QString::fromUtf8(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTextDayName,
    ::testing::Values(DayCase{QDate(1899, 12, 30), "Sábado"}, DayCase{QDate(1899, 12, 29), "Sexta"},
                      DayCase{QDate(2026, 1, 1), "Quinta"}, DayCase{QDate(2026, 3, 8), "Domingo"},
                      DayCase{QDate(2026, 3, 9), "Segunda"}, DayCase{QDate(2026, 3, 10), "Terça"},
                      DayCase{QDate(2026, 3, 11), "Quarta"}, DayCase{QDate(), ""}));

TEST(DateTextDayName, NeedsSevenNames) {
    EXPECT_EQ(DateText::dayName(QDate(2026, 3, 8), {"Dom", "Seg"}), "");
}

} // namespace
