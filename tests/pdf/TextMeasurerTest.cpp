// The measurer against Qt's own text layout of the same fonts: widths, eliding and wrapping must
// agree, or the PDF would not look like the screen. Qt kerns and the PDF does not, so Qt is asked
// not to kern here; with kerning on, widths differ by a few hundredths of a point per pair. Qt also
// rounds every advance to 1/64 of a pixel where the measurer (and the PDF) add the design widths, so
// agreement is within 1/64 of a unit per character, and a line or an elided text that ends within
// that of its box may fit for one and not for the other.
#include "reporting/text/TextMeasurer.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr double kSize = 80; // 8 pt in the report's tenths of a point

QFont qtFont(TextMeasurer::Font font, double size = kSize) {
    QFont f;
    f.setFamilies(TextMeasurer::fontFamilies()); // as the preview asks for the fallback faces
    f.setPixelSize(int(size));
    f.setBold(font == TextMeasurer::Bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

const char* const kTexts[] = {
    "São Paulo",
    "Ângela Conceição Muñoz",
    "AÇOUGUE E MERCEARIA Nº 3 – FILIAL",
    "Rua Dr. João Pessoa, 1.234 – apto. 56º andar, Bloco B…",
    "12.345.678/0001-90",
    "Ltda. & Cia. (matriz) «Ótica» ½ ‰ € ™",
    "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
    "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii",
    "Avenida Presidente Juscelino Kubitschek de Oliveira, 4.321, sala 1.502, Vila Nova Conceição",
    "Travessa-sem-espaços-até-o-fim-do-nome-da-rua-que-não-cabe",
    "",
};

double quantum(QStringView text) {
    return 0.001 + text.size() / 64.0;
}

struct Case {
    const char* text;
    TextMeasurer::Font font;
};

std::vector<Case> cases() {
    std::vector<Case> out;
    for (const char* t : kTexts)
        for (TextMeasurer::Font f : {TextMeasurer::Regular, TextMeasurer::Bold})
            out.push_back({t, f});
    return out;
}

class MeasurerAgainstQt : public testing::TestWithParam<Case> {
protected:
    const TextMeasurer& m = TextMeasurer::shared();
    QString text = QString::fromUtf8(GetParam().text);
    TextMeasurer::Font font = GetParam().font;
    QFontMetricsF qt{qtFont(GetParam().font)};
};

TEST_P(MeasurerAgainstQt, WidthAndLineSpacing) {
    EXPECT_NEAR(m.width(text, kSize, font), qt.horizontalAdvance(text), quantum(text)) << qPrintable(text);
    EXPECT_NEAR(m.lineSpacing(kSize, font), qt.lineSpacing(), 0.02);
    EXPECT_NEAR(m.ascent(kSize, font), qt.ascent(), 0.02);
    // Another size is the same table scaled.
    EXPECT_NEAR(m.width(text, 130, font), QFontMetricsF(qtFont(font, 130)).horizontalAdvance(text),
                quantum(text));
}

TEST_P(MeasurerAgainstQt, ElideFitsAndMatchesQt) {
    for (double box : {0.0, 30.0, 200.0, 555.5, 1000.0, 5000.0}) {
        const QString ours = m.elide(text, kSize, box, font);
        EXPECT_LE(m.width(ours, kSize, font), box + 1e-6) << qPrintable(ours);
        const QString theirs = qt.elidedText(text, Qt::ElideRight, box);
        if (ours != theirs) {
            EXPECT_NEAR(m.width(theirs, kSize, font), box, quantum(theirs)) << qPrintable(theirs);
        }
    }
}

TEST_P(MeasurerAgainstQt, WrapBreaksWhereQtBreaks) {
    for (double box : {150.0, 400.0, 900.0, 2000.0}) {
        std::vector<TextMeasurer::Line> expected;
        QTextLayout layout(text, qtFont(font));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(box);
            expected.push_back({line.textStart(), line.textLength()});
        }
        layout.endLayout();
        if (expected.empty())
            expected.push_back({0, 0});
        const auto lines = m.wrap(text, kSize, box, font);
        const auto differ = std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end());
        if (differ.second != expected.end()) {
            const QStringView line =
                QStringView(text).mid(differ.second->start, differ.second->length).trimmed();
            EXPECT_NEAR(m.width(line, kSize, font), box, quantum(line))
                << qPrintable(text) << " in " << box << ": Qt's line " << differ.second - expected.begin();
        } else {
            EXPECT_EQ(lines.size(), expected.size()) << qPrintable(text) << " in " << box;
        }
        for (const auto& l : lines) {
            if (l.length > 1) {
                EXPECT_LE(m.width(QStringView(text).mid(l.start, l.length).trimmed(), kSize, font),
                          box + 1e-6);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurerAgainstQt, testing::ValuesIn(cases()));

// What the report font lacks is measured with the face the preview draws it from, so the layout
// wraps and elides fallback text as it will be drawn; an elided text or a wrapped line of it fits
// its box as drawn.
TEST(MeasurerFallback, WidthsAgreeWithThePreview) {
    const TextMeasurer& m = TextMeasurer::shared();
    const QFontMetricsF qt(qtFont(TextMeasurer::Regular));
    const QString texts[] = {
        QStringLiteral("Jose\u0301 Conceic\u0327a\u0303o"),
        QStringLiteral("Marq\u0307ues"),
        QStringLiteral("田中 太郎 Hiroshi 山田花子 鈴木一郎"),
        QStringLiteral("محمد عبد الله بن سعيد"),
        QStringLiteral("דוד כהן בן אברהם"),
        QStringLiteral("Maria 😀 Souza ✔ 🤝"),
    };
    for (const QString& text : texts) {
        EXPECT_NEAR(m.width(text, kSize), qt.horizontalAdvance(text), quantum(text)) << qPrintable(text);
        for (double box : {60.0, 173.0, 360.0})
            EXPECT_LE(m.width(m.elide(text, kSize, box), kSize), box + 1e-6) << qPrintable(text);
        for (double box : {150.0, 400.0})
            for (const auto& l : m.wrap(text, kSize, box))
                EXPECT_LE(m.width(QStringView(text).mid(l.start, l.length).trimmed(), kSize), box + 1e-6)
                    << qPrintable(text) << " in " << box;
    }
}

} // namespace
