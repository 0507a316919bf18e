#pragma once
// Names that broke exported files: text a spreadsheet runs as a formula, characters XML cannot
// hold, a literal OOXML escape, decomposed accents, lone surrogates, line breaks and separators.
// Each with what every format must give back (the cellText() rule: NFC, C0/C1 controls other than
// TAB, LF and CR dropped, a lone surrogate as U+FFFD) and whether a spreadsheet would evaluate it.
// Any writer of report text (CSV, XLSX, PDF) can run the whole table.
#include <QString>
#include <string_view>

struct HostileName {
    std::u16string_view stored; // as the database holds it
    std::u16string_view shown;  // as it must read back
    bool formula;               // a spreadsheet would evaluate it if written bare
    QString value() const { return QString::fromUtf16(stored.data(), stored.size()); }
    QString expected() const { return QString::fromUtf16(shown.data(), shown.size()); }
};

using namespace std::string_view_literals;

inline constexpr HostileName kHostileNames[] = {
    {u"=HYPERLINK(\"http://x\",\"clique\")"sv, u"=HYPERLINK(\"http://x\",\"clique\")"sv, true},
    {u"=1+1"sv, u"=1+1"sv, true},
    {u"=cmd|' /C calc'!A0"sv, u"=cmd|' /C calc'!A0"sv, true},
    {u"@SUM(A1)"sv, u"@SUM(A1)"sv, true},
    {u"-2+3"sv, u"-2+3"sv, true},
    {u"+1+1"sv, u"+1+1"sv, true},
    {u"\t=1+1"sv, u"\t=1+1"sv, true},
    {u"\r=1+1"sv, u"\r=1+1"sv, true},
    {u"-12,50"sv, u"-12,50"sv, false}, // a plain negative number stays a number
    {u"000252"sv, u"000252"sv, false},
    {u"Nome\0com NUL"sv, u"Nomecom NUL"sv, false},
    {u"_x000D_"sv, u"_x000D_"sv, false},
    {u"a_x005F_x000D_b"sv, u"a_x005F_x000D_b"sv, false},
    {u"Linha 1\r\nLinha 2\tfim\rCR"sv, u"Linha 1\r\nLinha 2\tfim\rCR"sv, false},
    {u"Ângela; \"Ótima\" Ltda"sv, u"Ângela; \"Ótima\" Ltda"sv, false},
    {u"Jose\u0301 Conceic\u0327a\u0303o"sv, u"José Conceição"sv, false},
    {u"a\xD800 b \xDC00"sv, u"a\uFFFD b \uFFFD"sv, false},
    {u"\u0001x\u001Fy\u007Fz\u0085w\u009F"sv, u"xyzw"sv, false},
    {u"\U0001F600 Ωmega 𝄞"sv, u"\U0001F600 Ωmega 𝄞"sv, false},
    {u"  espaços  "sv, u"  espaços  "sv, false},
    {u"<&>'\"]]>"sv, u"<&>'\"]]>"sv, false},
    {u"שלום مرحبا 漢字"sv, u"שלום مرحبا 漢字"sv, false},
    {u"山田 太郎 (ヤマダ)"sv, u"山田 太郎 (ヤマダ)"sv, false},
    {u"محمد علي"sv, u"محمد علي"sv, false},
    {u"שלום כהן"sv, u"שלום כהן"sv, false},
    {u"Café ☕ 👍"sv, u"Café ☕ 👍"sv, false},
    {u"Sem fonte 󰀀"sv, u"Sem fonte 󰀀"sv, false}, // no installed font has it
};

// 20,000 emoji, 40,000 UTF-16 units: a cell cut at 32,767 units would split a surrogate pair.
inline QString longHostileName() {
    return QStringView(u"\U0001F600").toString().repeated(20000);
}
