// Reading report SQL without a database: placeholders and the "only one SELECT" rule.
#include "reporting/ReportSql.h"

#include <gtest/gtest.h>

namespace {

struct ParamCase {
    const char* name;
    const char* sql;
    QStringList expected;
};

class ParameterNames : public ::testing::TestWithParam<ParamCase> {};

TEST_P(ParameterNames, AreExactlyThePlaceholders) {
    EXPECT_EQ(ReportSql::parameterNames(QString::fromUtf8(GetParam().sql)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sql, ParameterNames,
    ::testing::Values(
        ParamCase{"none", "SELECT 1 FROM CLIENTE", {}},
        ParamCase{"order_kept_once",
                  "SELECT * FROM C WHERE A = :L_CLIENTE AND B = :P_CDFILIAL OR :L_CLIENTE = 'T'",
                  {"L_CLIENTE", "P_CDFILIAL"}},
        ParamCase{"case_insensitive_first_spelling_kept",
                  "WHERE :p_dtinicial < X AND :P_DTINICIAL > Y",
                  {"p_dtinicial"}},
        ParamCase{"inside_string_skipped", "SELECT ':NAO', 'it''s :NAO' FROM T WHERE X = :SIM", {"SIM"}},
        ParamCase{"comments_skipped", "SELECT 1 -- :NAO\n/* :NAO2 */ FROM T WHERE A = :SIM", {"SIM"}},
        ParamCase{"quoted_identifier_skipped", "SELECT \"A:B\" FROM T WHERE Y=:P1", {"P1"}},
        ParamCase{"cast_double_colon_skipped", "SELECT X::TEXT FROM T WHERE Y=:P_A", {"P_A"}},
        ParamCase{"time_literal_not_a_param", "SELECT '10:30' FROM T WHERE Y=(:P_B)", {"P_B"}},
        ParamCase{"adjacent_to_operator", "WHERE A||:P_X||B AND C=:P_Y", {"P_X", "P_Y"}},
        ParamCase{"digits_not_a_name", "SELECT a:1 FROM T WHERE B=:P9", {"P9"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadOnlyCase {
    const char* name;
    const char* sql;
    bool allowed;
};

class ReadOnly : public ::testing::TestWithParam<ReadOnlyCase> {};

TEST_P(ReadOnly, OnlyOneSelectPasses) {
    const QString problem = ReportSql::readOnlyProblem(QString::fromUtf8(GetParam().sql));
    EXPECT_EQ(problem.isEmpty(), GetParam().allowed) << problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Sql, ReadOnly,
    ::testing::Values(ReadOnlyCase{"select", "SELECT * FROM CLIENTE", true},
                      ReadOnlyCase{"select_trailing_semicolon", "select 1 from t;  ", true},
                      ReadOnlyCase{"with_select", "WITH P AS (SELECT 1 AS X) SELECT X FROM P", true},
                      ReadOnlyCase{"words_in_strings_are_text", "SELECT 'DELETE; DROP' FROM T", true},
                      ReadOnlyCase{"update_word_in_comment", "SELECT 1 -- UPDATE\nFROM T", true},
                      ReadOnlyCase{"column_named_like_keyword_in_quotes", "SELECT \"UPDATE\" FROM T", true},
                      ReadOnlyCase{"firebird_charset_cast",
                                   "SELECT CAST(:A AS VARCHAR(5) CHARACTER SET UTF8) FROM RDB$DATABASE",
                                   true},
                      ReadOnlyCase{"empty", "   ", false},
                      ReadOnlyCase{"two_statements", "SELECT 1; SELECT 2", false},
                      ReadOnlyCase{"select_then_delete", "SELECT 1 FROM T; DELETE FROM T", false},
                      ReadOnlyCase{"update", "UPDATE CLIENTE SET NMFANTCLIE = 'x'", false},
                      ReadOnlyCase{"ddl", "DROP TABLE CLIENTE", false},
                      ReadOnlyCase{"with_delete", "WITH X AS (SELECT 1) DELETE FROM CLIENTE", false},
                      ReadOnlyCase{"select_into", "SELECT * INTO NOVA FROM CLIENTE", false},
                      ReadOnlyCase{"pragma", "PRAGMA query_only = 0", false},
                      ReadOnlyCase{"insert_select", "INSERT INTO T SELECT * FROM CLIENTE", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
