// TDateEditPlus as the screen and the user see it: dates in and out, styles, what a user types,
// the check of an invalid date, the calendar, the weekday, resources and the exit event.
#include "core/Errors.h"
#include "forms/ClassRegistry.h"
#include "forms/FormReader.h"
#include "forms/TApplication.h"
#include "library/DateText.h"
#include "library/EmptyString.h"
#include "library/TDateEditPlus.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

// A form with two date edits whose exit runs the date check, as the client screen's do.
class TDateTestForm : public TForm {
    Q_OBJECT
    Q_PROPERTY(TDateEditPlus* depDe MEMBER depDe)
    Q_PROPERTY(TDateEditPlus* depAte MEMBER depAte)
public:
    using TForm::TForm;
    TDateEditPlus* depDe = nullptr;
    TDateEditPlus* depAte = nullptr;
    int exits = 0;

public slots:
    void depDeExit(QObject* Sender) {
        ++exits;
        depDe->CheckValidDate();
    }
};

namespace {

TDateTime days(int y, int m, int d) {
    return HostDate::fromDate(QDate(y, m, d));
}

// The calendar's parts by the names the edit gives them; the popup exists once first opened.
QToolButton* calendarButton(const TDateEditPlus* e) {
    return e->findChild<QToolButton*>(QStringLiteral("TDateEditPlus_calendarButton"));
}
QCalendarWidget* calendar(const TDateEditPlus* e) {
    return e->findChild<QCalendarWidget*>(QStringLiteral("TDateEditPlus_calendar"));
}
bool calendarShown(const TDateEditPlus* e) {
    const auto* popup = e->findChild<QWidget*>(QStringLiteral("TDateEditPlus_calendarPopup"));
    return popup && popup->isVisible();
}

class DateEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestEnv::reset();
        edit.resize(200, 21);
    }
    TDateEditPlus edit;
};

struct TextDateCase {
    const char* text;
    int style;
    const char* shown; // Text() afterwards
    TDateTime date;    // GetDate()
    bool valid;
};

void PrintTo(const TextDateCase& c, std::ostream* os) {
    *os << "'" << c.text << "' style " << c.style;
}

class DateEditText : public DateEditTest, public ::testing::WithParamInterface<TextDateCase> {};

TEST_P(DateEditText, GetDateReadsWhatIsShown) {
    const TextDateCase& c = GetParam();
    edit.SetEditStyle(c.style);
    edit.SetText(QString::fromUtf8(c.text));
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(edit.GetDate(), c.date);
    EXPECT_EQ(edit.IsValidDate(), c.valid);
    EXPECT_EQ(EmptyString(edit.Text()), QString::fromUtf8(c.shown).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateEditText,
    ::testing::Values(TextDateCase{"30/12/1899", 0, "30/12/1899", 0, true},
                      TextDateCase{"29/12/1899", 0, "29/12/1899", -1, true},
                      TextDateCase{"29/02/2023", 0, "29/02/2023", 0, false},
                      TextDateCase{"1/3/2026", 0, "01/03/2026", days(2026, 3, 1), true},
                      TextDateCase{"12/0", 0, "12/0_/____", 0, false}, // half typed: never a date
                      TextDateCase{"", 0, "", 0, false}, TextDateCase{"  /  /    ", 0, "", 0, false},
                      TextDateCase{"03/2026", 1, "03/2026", days(2026, 3, 1), true},
                      TextDateCase{"13/2026", 1, "13/2026", 0, false}, TextDateCase{"", 1, "", 0, false}));

TEST_F(DateEditTest, EmptyEditShowsOnlyTheMaskAndReadsEmpty) {
    EXPECT_EQ(edit.displayText(), "__/__/____");
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.GetDate(), 0);
    edit.SetEditStyle(1);
    EXPECT_EQ(edit.displayText(), "__/____");
    EXPECT_EQ(edit.Text(), "");
}

struct SetDateCase {
    TDateTime value;
    int style;
    const char* shown;
    TDateTime back;
};

void PrintTo(const SetDateCase& c, std::ostream* os) {
    *os << c.value << " style " << c.style;
}

class DateEditSetDate : public DateEditTest, public ::testing::WithParamInterface<SetDateCase> {};

TEST_P(DateEditSetDate, ShowsTheDateAndDropsTheTime) {
    const SetDateCase& c = GetParam();
    edit.SetEditStyle(c.style);
    edit.SetDate(c.value);
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(edit.GetDate(), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateEditSetDate,
    ::testing::Values(SetDateCase{0, 0, "30/12/1899", 0}, SetDateCase{-1, 0, "29/12/1899", -1},
                      SetDateCase{-1.5, 0, "29/12/1899", -1}, // time of a negative date
                      SetDateCase{days(2026, 3, 8) + 0.75, 0, "08/03/2026", days(2026, 3, 8)},
                      SetDateCase{days(100, 1, 1), 0, "01/01/0100", days(100, 1, 1)},
                      SetDateCase{days(9999, 12, 31), 0, "31/12/9999", days(9999, 12, 31)},
                      SetDateCase{days(2026, 3, 15), 1, "03/2026", days(2026, 3, 1)}));

TEST_F(DateEditTest, SetDateOutOfRangeIsRefusedAndKeepsTheText) {
    edit.SetDate(days(2026, 3, 8));
    for (TDateTime bad : {days(99, 12, 31), days(10000, 1, 1), 1e300, -1e300, std::nan("")}) {
        EXPECT_THROW(edit.SetDate(bad), EHostError) << bad;
        EXPECT_EQ(edit.Text(), "08/03/2026");
    }
}

TEST_F(DateEditTest, KeepTimeKeepsTheTimeOfDay) {
    edit.SetKeepTime(true);
    edit.SetDate(days(2026, 3, 8) + 0.75);
    EXPECT_DOUBLE_EQ(edit.GetDate(), days(2026, 3, 8) + 0.75);
    edit.SetDate(-1.25);
    EXPECT_DOUBLE_EQ(edit.GetDate(), -1.25);
    edit.Clear();
    EXPECT_EQ(edit.GetDate(), 0);
}

TEST_F(DateEditTest, ClearAndEmptyTextLeaveNoDate) {
    edit.SetDate(days(2026, 3, 8));
    edit.Clear();
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.GetDate(), 0);
    edit.SetDate(days(2026, 3, 8));
    edit.SetText("");
    EXPECT_TRUE(EmptyString(edit.Text()));
    EXPECT_FALSE(edit.IsValidDate());
}

struct StyleCase {
    const char* text;
    int from, to;
    const char* shown;
    TDateTime date;
};

void PrintTo(const StyleCase& c, std::ostream* os) {
    *os << "'" << c.text << "' " << c.from << "->" << c.to;
}

class DateEditStyle : public DateEditTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(DateEditStyle, ChangingTheStyleKeepsTheDate) {
    const StyleCase& c = GetParam();
    edit.SetEditStyle(c.from);
    edit.SetText(QString::fromUtf8(c.text));
    edit.SetEditStyle(c.to);
    EXPECT_EQ(edit.EditStyle(), c.to);
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(edit.GetDate(), c.date);
}

INSTANTIATE_TEST_SUITE_P(Table, DateEditStyle,
                         ::testing::Values(StyleCase{"15/03/2026", 0, 1, "03/2026", days(2026, 3, 1)},
                                           StyleCase{"03/2026", 1, 0, "01/03/2026", days(2026, 3, 1)},
                                           StyleCase{"29/12/1899", 0, 1, "12/1899", days(1899, 12, 1)},
                                           StyleCase{"", 0, 1, "", 0}, StyleCase{"", 1, 0, "", 0},
                                           StyleCase{"31/02/2026", 0, 1, "02/2026", days(2026, 2, 1)},
                                           StyleCase{"15/03/2026", 0, 0, "15/03/2026", days(2026, 3, 15)}));

TEST_F(DateEditTest, UnknownStyleIsRefused) {
    edit.SetDate(days(2026, 3, 8));
    EXPECT_THROW(edit.SetEditStyle(2), EHostError);
    EXPECT_THROW(edit.SetEditStyle(-1), EHostError);
    EXPECT_EQ(edit.EditStyle(), 0);
    EXPECT_EQ(edit.Text(), "08/03/2026");
}

struct InvalidCase {
    const char* text;
    int style;
    const char* message;
};

void PrintTo(const InvalidCase& c, std::ostream* os) {
    *os << "'" << c.text << "' style " << c.style;
}

class DateEditCheck : public DateEditTest, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(DateEditCheck, InvalidTextIsShownAndAborts) {
    const InvalidCase& c = GetParam();
    edit.SetEditStyle(c.style);
    edit.SetText(QString::fromUtf8(c.text));
    EXPECT_THROW(edit.CheckValidDate(), EAbort);
    EXPECT_EQ(TestEnv::dialogs().errors(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(edit.Text(), DateText::normalise(QString::fromUtf8(c.text), c.style)); // nothing lost
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateEditCheck,
    ::testing::Values(
        InvalidCase{"31/02/2026", 0,
                    "'31/02/2026' não é uma data válida. O dia deve estar entre 01 e 28 em 02/2026."},
        InvalidCase{"12/0_/____", 0,
                    "'12/0_/____' não é uma data válida. Informe a data completa, no formato dd/mm/aaaa."},
        InvalidCase{"13/2026", 1, "'13/2026' não é um mês válido. O mês deve estar entre 01 e 12."}));

TEST_F(DateEditTest, ValidOrEmptyPassesTheCheckSilently) {
    for (const char* text : {"", "30/12/1899", "29/12/1899", "29/02/2024"}) {
        edit.SetText(QString::fromUtf8(text));
        EXPECT_NO_THROW(edit.CheckValidDate()) << text;
    }
    EXPECT_TRUE(TestEnv::dialogs().shown.empty());
}

struct TypingCase {
    int style;
    const char* keys;
    const char* shown;
    bool valid;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << "'" << c.keys << "' style " << c.style;
}

class DateEditTyping : public DateEditTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(DateEditTyping, UserTypesIntoTheMask) {
    const TypingCase& c = GetParam();
    edit.SetEditStyle(c.style);
    edit.setCursorPosition(0);
    QSignalSpy edited(&edit, &TDateEditPlus::dateEdited);
    QTest::keyClicks(&edit, QString::fromUtf8(c.keys));
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(edit.IsValidDate(), c.valid);
    EXPECT_EQ(edited.isEmpty(), QString::fromUtf8(c.keys).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, DateEditTyping,
                         ::testing::Values(TypingCase{0, "15032026", "15/03/2026", true},
                                           TypingCase{0, "15/03/2026", "15/03/2026", true},
                                           TypingCase{0, "1/3/2026", "01/03/2026", true},
                                           TypingCase{0, "1.3.2026", "01/03/2026", true},
                                           TypingCase{0, "29021900", "29/02/1900", false},
                                           TypingCase{0, "120", "12/0_/____", false},
                                           TypingCase{0, "ab/", "", false}, // nothing but digits goes in
                                           TypingCase{1, "032026", "03/2026", true},
                                           TypingCase{1, "3/2026", "03/2026", true},
                                           TypingCase{1, "13", "13/____", false}));

TEST_F(DateEditTest, ErasingEveryDigitEmptiesTheText) {
    QTest::keyClicks(&edit, "15032026");
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.displayText(), "__/__/____");
    EXPECT_EQ(edit.Text(), "");
    EXPECT_TRUE(EmptyString(edit.Text()));
}

TEST_F(DateEditTest, ClickInAnEmptyEditStartsAtTheDay) {
    edit.show();
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(60, 10));
    QTest::keyClicks(&edit, "08032026");
    EXPECT_EQ(edit.Text(), "08/03/2026");
}

TEST_F(DateEditTest, ValidDateTakesItsColour) {
    const QColor normal = edit.palette().color(QPalette::Active, QPalette::Text);
    edit.SetColorValidDate(QColor(0, 0, 0xFF));
    edit.SetText("12/0");
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Text), normal);
    edit.setCursorPosition(4);
    QTest::keyClicks(&edit, "3/2026");
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 0xFF));
    edit.SetText("31/02/2026");
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Text), normal);
}

struct DayShownCase {
    QDate date;
    int style;
    bool showDia;
    const char* shown;
};

void PrintTo(const DayShownCase& c, std::ostream* os) {
    *os << c.date.toString(Qt::ISODate).toStdString() << " style " << c.style << " dia " << c.showDia;
}

class DateEditDayName : public DateEditTest, public ::testing::WithParamInterface<DayShownCase> {};

TEST_P(DateEditDayName, WeekdayIsDrawnBesideTheDate) {
    const DayShownCase& c = GetParam();
    edit.SetEditStyle(c.style);
    edit.SetShowDia(c.showDia);
    edit.SetDate(HostDate::fromDate(c.date));
    EXPECT_EQ(edit.accessibleDescription(), QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(Table, DateEditDayName,
                         ::testing::Values(DayShownCase{QDate(1899, 12, 30), 0, true, "Sábado"},
                                           DayShownCase{QDate(2026, 3, 8), 0, true, "Domingo"},
                                           DayShownCase{QDate(2026, 3, 8), 0, false, ""},
                                           DayShownCase{QDate(2026, 3, 8), 1, true,
                                                        ""})); // a month has no weekday

TEST_F(DateEditTest, WeekdayNeverCoversTheDate) {
    edit.show();                    // a hidden edit gets its resize events only when shown
    edit.SetDate(days(2026, 3, 9)); // "Segunda"
    // Narrower and narrower: the whole name, then its first letters, then nothing; the space the
    // name needs never reaches into the date.
    QString previous = edit.accessibleDescription();
    EXPECT_EQ(previous, "Segunda");
    for (int w = 200; w >= 60; w -= 5) {
        edit.resize(w, 21);
        const QString shown = edit.accessibleDescription();
        EXPECT_TRUE(QStringLiteral("Segunda").startsWith(shown)) << w;
        EXPECT_LE(shown.size(), previous.size()) << w;
        previous = shown;
    }
    EXPECT_EQ(previous, "");
    edit.SetText("31/02/2026");
    edit.resize(200, 21);
    EXPECT_EQ(edit.accessibleDescription(), ""); // no weekday for an impossible date
}

TEST_F(DateEditTest, DayNamesComeFromThePropertyAndNeedSeven) {
    const QStringList names{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    EXPECT_TRUE(edit.SetDayNames(names));
    edit.SetDate(days(2026, 3, 8));
    EXPECT_EQ(edit.accessibleDescription(), "Sun");
    EXPECT_FALSE(edit.SetDayNames({"Sun"}));
    EXPECT_EQ(edit.DayNames(), names);
}

TEST_F(DateEditTest, CalendarButtonNeverTakesTheFocusAndPicksADate) {
    QToolButton* button = calendarButton(&edit);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(button->icon().isNull()); // the calendar glyph
    edit.show();
    QSignalSpy edited(&edit, &TDateEditPlus::dateEdited);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(calendarShown(&edit));
    EXPECT_EQ(calendar(&edit)->selectedDate(), QDate::currentDate());
    emit calendar(&edit)->clicked(QDate(2026, 3, 8));
    EXPECT_FALSE(calendarShown(&edit));
    EXPECT_EQ(edit.Text(), "08/03/2026");
    EXPECT_EQ(edited.size(), 1);
    // Reopened, it starts at the date shown; in style 1 a pick is its month.
    edit.SetEditStyle(1);
    QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(calendarShown(&edit));
    EXPECT_EQ(calendar(&edit)->selectedDate(), QDate(2026, 3, 1));
    emit calendar(&edit)->activated(QDate(2027, 7, 19));
    EXPECT_EQ(edit.Text(), "07/2027");
    EXPECT_EQ(edit.GetDate(), days(2027, 7, 1));
    // Escape closes it and changes nothing.
    QTest::keyClick(&edit, Qt::Key_F4);
    ASSERT_TRUE(calendarShown(&edit));
    QWidget* inCalendar = QApplication::focusWidget() ? QApplication::focusWidget() : calendar(&edit);
    QTest::keyClick(inCalendar, Qt::Key_Escape);
    EXPECT_FALSE(calendarShown(&edit));
    EXPECT_EQ(edit.Text(), "07/2027");
}

TEST_F(DateEditTest, DisabledOrReadOnlyEditOpensNoCalendar) {
    edit.show();
    edit.setReadOnly(true);
    QTest::keyClick(&edit, Qt::Key_F4);
    EXPECT_FALSE(calendarShown(&edit));
    edit.setReadOnly(false);
    edit.setEnabled(false);
    QTest::keyClick(&edit, Qt::Key_F4);
    EXPECT_FALSE(calendarShown(&edit));
}

// Form resources.

class DateEditResource : public ::testing::Test {
protected:
    void SetUp() override { TestEnv::reset(); }
    void TearDown() override {
        FormReader::clearResourceOverride("TDateTestForm");
        for (TForm* f : TApplication::instance().forms())
            delete (f->subWindow() ? static_cast<QObject*>(f->subWindow()) : static_cast<QObject*>(f));
    }
    TDateTestForm* create(const QString& deProperties) {
        const QString json = QStringLiteral(R"({"class": "TDateTestForm", "components": [
            {"name": "depDe", "class": "TDateEditPlus", "properties": %1, "events": {"OnExit": "depDeExit"}},
            {"name": "depAte", "class": "TDateEditPlus", "properties": {"Left": 10, "Top": 40, "TabOrder": 1}}]})")
                                 .arg(deProperties);
        FormReader::setResourceOverride("TDateTestForm", json.toUtf8());
        TDateTestForm* f = nullptr;
        TApplication::instance().CreateForm(f);
        return f;
    }
};

TEST_F(DateEditResource, PropertiesOfTheScreensDateEdits) {
    TDateTestForm* f = create(QStringLiteral(R"({"Left": 31, "Top": 23, "Width": 100, "Height": 21,
        "TabOrder": 0, "Color": "clInfoBk", "ColorValidDate": "clBlue", "KeepTime": false, "ShowDia": false,
        "Font": {"Name": "MS Sans Serif", "Size": 8, "Style": []}, "Glyph": ":/glyphs/calendar.png",
        "DayNames": ["Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"],
        "EditStyle": 1, "Text": "03/2026"})"));
    ASSERT_NE(f->depDe, nullptr);
    EXPECT_EQ(f->depDe->geometry(), QRect(31, 23, 100, 21));
    EXPECT_EQ(f->depDe->Color(), QColor(0xFF, 0xFF, 0xE1));
    EXPECT_EQ(f->depDe->ColorValidDate(), QColor(0, 0, 0xFF));
    EXPECT_FALSE(f->depDe->KeepTime());
    EXPECT_FALSE(f->depDe->ShowDia());
    EXPECT_EQ(f->depDe->Font().pointSize(), 8);
    EXPECT_FALSE(f->depDe->Font().bold());
    EXPECT_EQ(f->depDe->Glyph(), ":/glyphs/calendar.png");
    EXPECT_EQ(f->depDe->DayNames(), DateText::defaultDayNames());
    EXPECT_EQ(f->depDe->EditStyle(), 1);
    EXPECT_EQ(f->depDe->GetDate(), days(2026, 3, 1));
    EXPECT_EQ(f->depDe->handlerName("OnExit"), "depDeExit");
    // Component defaults.
    EXPECT_TRUE(f->depAte->ShowDia());
    EXPECT_EQ(f->depAte->EditStyle(), 0);
    EXPECT_EQ(f->depAte->Text(), "");
}

struct BadPropertyCase {
    const char* properties;
    const char* mentions;
};

void PrintTo(const BadPropertyCase& c, std::ostream* os) {
    *os << c.properties;
}

class DateEditBadResource : public DateEditResource, public ::testing::WithParamInterface<BadPropertyCase> {};

TEST_P(DateEditBadResource, IsACreationErrorNamingTheItem) {
    try {
        create(QString::fromUtf8(GetParam().properties));
        FAIL() << "created";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains("depDe")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(GetParam().mentions)) << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DateEditBadResource,
                         ::testing::Values(BadPropertyCase{R"({"DayNames": ["Dom", "Seg"]})", "DayNames"},
                                           BadPropertyCase{R"({"EditStyle": 2})", "EditStyle"},
                                           BadPropertyCase{R"({"Glyph": ":/glyphs/none.png"})", "none.png"},
                                           BadPropertyCase{R"({"ShowDia": "sim"})", "true or false"},
                                           BadPropertyCase{R"({"ColorValidDate": "clNada"})", "clNada"},
                                           BadPropertyCase{R"({"Mask": "99"})", "Mask"}));

TEST_F(DateEditResource, LeavingWithAnInvalidDateReportsItAndKeepsTheFocus) {
    TDateTestForm* f = create(QStringLiteral(R"({"Left": 10, "Top": 10, "TabOrder": 0})"));
    f->Show();
    QMainWindow* main = TApplication::instance().mainWindow();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    f->depDe->setFocus();
    ASSERT_TRUE(f->depDe->hasFocus());
    QTest::keyClicks(f->depDe, "31022026");

    f->depAte->setFocus(); // the user moves on
    EXPECT_EQ(f->exits, 1);
    EXPECT_EQ(TestEnv::dialogs().errors(),
              QStringList{"'31/02/2026' não é uma data válida. O dia deve estar entre 01 e 28 em 02/2026."});
    EXPECT_TRUE(f->depDe->hasFocus());
    EXPECT_EQ(f->depDe->Text(), "31/02/2026");

    // Corrected, it lets the focus go; the calendar button on the way takes nothing.
    f->depDe->selectAll();
    QTest::keyClicks(f->depDe, "28022026");
    QTest::mouseClick(calendarButton(f->depAte), Qt::LeftButton);
    EXPECT_EQ(f->exits, 2);
    EXPECT_EQ(f->ActiveControl(), f->depAte);
    ASSERT_TRUE(calendarShown(f->depAte));
    emit calendar(f->depAte)->clicked(QDate(2026, 3, 31));
    EXPECT_TRUE(f->depAte->hasFocus()); // back from the popup
    EXPECT_EQ(f->depAte->Text(), "31/03/2026");
    EXPECT_EQ(f->exits, 2); // the popup taking the focus and giving it back is no exit
    EXPECT_EQ(TestEnv::dialogs().errors().size(), 1);
}

// A date is a calendar day whatever the process's zone, also on a day whose local midnight does not
// exist (São Paulo skipped 00:00 on 04/11/2018) and in zones far from UTC.
class DateInZone : public ::testing::TestWithParam<const char*> {};

TEST_P(DateInZone, SetDateAndGetDateKeepTheCalendarDay) {
    const ZoneScope zone(GetParam());
    TDateEditPlus edit;
    for (const QDate day :
         {QDate(2018, 11, 4), QDate(2018, 2, 17), QDate(2024, 2, 29), QDate(2026, 12, 31)}) {
        const TDateTime value = HostDate::fromDate(day);
        const QDateTime bound = HostDate::toDateTime(value);
        EXPECT_TRUE(bound.isValid()) << day.toString().toStdString();
        EXPECT_EQ(bound.date(), day);
        EXPECT_EQ(bound.time(), QTime(0, 0));
        edit.SetDate(value);
        EXPECT_EQ(edit.Text(), day.toString(QStringLiteral("dd/MM/yyyy")));
        EXPECT_EQ(edit.GetDate(), value);
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, DateInZone,
                         ::testing::Values("UTC", "America/Sao_Paulo", "Pacific/Kiritimati",
                                           "America/Noronha", "Asia/Kathmandu"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '/')
                                     c = '_';
                             return name;
                         });

} // namespace

#include "test_dateedit.moc"
