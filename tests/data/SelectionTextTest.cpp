#include "library/SelectionText.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip {
    const char* name;
    QStringList keys;
    QString text;
};

class SelectionTextRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SelectionTextRoundTrip, EncodesAsDocumentedAndDecodesBack) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(SelectionText::encode(c.keys), c.text);
    const auto back = SelectionText::decode(c.text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, c.keys);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SelectionTextRoundTrip,
    ::testing::Values(RoundTrip{"nothing", {}, ""},
                      RoundTrip{"header_example", {"10", "A|B"}, "#L1:2:103:A|B"},
                      RoundTrip{
                          "sql_injection", {"'; DROP TABLE CLIENTE; --"}, "#L1:25:'; DROP TABLE CLIENTE; --"},
                      RoundTrip{"wildcards", {"%", "_", "|"}, "#L1:1:%1:_1:|"},
                      RoundTrip{"no_restriction_letter", {"T"}, "#L1:1:T"},
                      RoundTrip{"blank_and_empty", {" ", ""}, "#L1:1: 0:"},
                      RoundTrip{"accents",
                                {QString::fromUtf8("São João"), QString::fromUtf8("Ç")},
                                QString::fromUtf8("#L1:8:São João1:Ç")},
                      RoundTrip{"marker_inside_key", {"#L1:3:abc"}, "#L1:9:#L1:3:abc"},
                      RoundTrip{"digits_and_colons", {"12:34", "5"}, "#L1:5:12:341:5"},
                      RoundTrip{"long_key", {"ABCDEFGHIJKLMNOPQRSTU"}, "#L1:21:ABCDEFGHIJKLMNOPQRSTU"},
                      RoundTrip{"newline", {"a\nb"}, "#L1:3:a\nb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SelectionText, NonEmptySelectionIsNeverBlankOrT) {
    for (const QStringList& keys : {QStringList{""}, QStringList{"T"}, QStringList{" "}}) {
        const QString t = SelectionText::encode(keys);
        EXPECT_FALSE(t.trimmed().isEmpty());
        EXPECT_NE(t, "T");
    }
}

class SelectionTextRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(SelectionTextRejects, TextThatIsNotASelection) {
    EXPECT_FALSE(SelectionText::decode(QString::fromUtf8(GetParam())).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Malformed, SelectionTextRejects,
                         ::testing::Values("T", " ", "|10|20|", "#L1:", "#L2:1:a", "#L1:2:a", "#L1:1:ab",
                                           "#L1:x:a", "#L1:1a", "#L1::a", "#L1:99999999999999999999:a",
                                           "#L1:-1:a", "#l1:1:a", "#L1:\xd9\xa1:a"));

} // namespace
