// Text from the database under the report's one rule, whatever the format it goes to.
#include "core/CellText.h"

#include <gtest/gtest.h>

namespace {

// Whole literals, NULs included.
template <size_t N> QString text(const char16_t (&literal)[N]) {
    return QString::fromUtf16(literal, qsizetype(N - 1));
}

struct Case {
    QString stored, printed;
};

TEST(CellText, FollowsTheRule) {
    const Case cases[] = {
        {text(u"Jose\u0301 Conceic\u0327a\u0303o"), text(u"José Conceição")}, // marks typed apart
        {text(u"Nome\u0000Cortado"), text(u"NomeCortado")},                   // NUL cuts C strings
        {text(u"A\u0007B\u001BC\u007FD\u0085E"), text(u"ABCDE")},             // C0, DEL, C1
        {text(u"Linha 1\nLinha 2\tcom tab\r"), text(u"Linha 1\nLinha 2\tcom tab\r")},
        {text(u"meio \xD800 par"), text(u"meio \uFFFD par")}, // lone surrogates
        {text(u"fim \xDC00"), text(u"fim \uFFFD")},
        {text(u"emoji \U0001F600 ok"), text(u"emoji \U0001F600 ok")},
        {text(u"ｶﾀｶﾅ 山田"), text(u"ｶﾀｶﾅ 山田")}, // NFC, not NFKC: half-width kana stay as typed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        EXPECT_EQ(cellText(c.stored), c.printed);
        EXPECT_EQ(cellText(c.printed), c.printed);
    }
}

} // namespace
