#pragma once
// The host's date editor: a line edit of our own, because QDateEdit cannot be empty.
//
// Style 0 takes a date "dd/mm/yyyy"; style 1 takes a month "mm/yyyy", whose date is the first day
// of that month. Entry is masked and guided ("1/" becomes "01/"); a calendar button inside the edit
// (it never takes the focus, so the focus and the exit event stay with the edit) pops up a
// calendar; Alt+Down or F4 opens it from the keyboard. While ShowDia is true the weekday of the date
// is drawn in grey at the right, shortened or left out where it would cover the date; the
// accessible description holds the name as drawn, since it is painted and not part of the text.
// The button, the popup and the calendar are named TDateEditPlus_calendarButton,
// TDateEditPlus_calendarPopup and TDateEditPlus_calendar.
//
// Text() reads what is displayed: empty while no digit is typed, the displayed text otherwise
// ("12/0_/____" while half typed). GetDate() answers 0 for an edit without a date and also for a
// half-typed or impossible text; CheckValidDate() is what tells those apart from a real date.
#include "core/DateTime.h"
#include "forms/THostControl.h"
#include "host_export.h"

#include <QColor>
#include <QDate>
#include <QLineEdit>
#include <QStringList>
#include <QTime>

class QCalendarWidget;
class QFrame;
class QToolButton;

class HOST_EXPORT TDateEditPlus : public THostControl<QLineEdit> {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText NOTIFY dateChanged)
    Q_PROPERTY(double Date READ GetDate WRITE SetDate NOTIFY dateChanged)
    Q_PROPERTY(int EditStyle READ EditStyle WRITE SetEditStyle)
    Q_PROPERTY(bool ShowDia READ ShowDia WRITE SetShowDia)
    Q_PROPERTY(bool KeepTime READ KeepTime WRITE SetKeepTime)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QColor ColorValidDate READ ColorValidDate WRITE SetColorValidDate)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(QStringList DayNames READ DayNames WRITE SetDayNames)
    Q_PROPERTY(QString Glyph READ Glyph WRITE SetGlyph)

public:
    explicit TDateEditPlus(QWidget* parent = nullptr);
    ~TDateEditPlus() override;

    // Days since 30/12/1899 (earlier dates negative); 0 when the text is not a complete date.
    TDateTime GetDate() const;
    // Shows the date (its month in style 1). Throws EHostError for a value outside
    // 01/01/0100 to 31/12/9999.
    void SetDate(TDateTime value);
    void Clear();

    QString Text() const;
    // Takes a text in the style's shape or close to it ("1/3/2026", "01032026"); fields are padded
    // but not checked, so an impossible date can be shown and is reported by CheckValidDate.
    void SetText(const QString& text);

    // The date shown, or an invalid QDate.
    QDate Date() const;
    bool IsValidDate() const;

    int EditStyle() const { return m_style; }
    // 0 or 1; anything else throws EHostError. The date shown is kept.
    void SetEditStyle(int style);
    bool ShowDia() const { return m_showDia; }
    void SetShowDia(bool show);
    bool KeepTime() const { return m_keepTime; }
    void SetKeepTime(bool keep) { m_keepTime = keep; }

    QColor Color() const;
    void SetColor(const QColor& color);
    QColor ColorValidDate() const { return m_validColor; }
    void SetColorValidDate(const QColor& color);
    QFont Font() const { return font(); }
    void SetFont(const QFont& f) { setFont(f); }
    QStringList DayNames() const { return m_dayNames; }
    // Seven names, Sunday first; any other count is refused (false).
    bool SetDayNames(const QStringList& names);
    QString Glyph() const { return m_glyphPath; }
    // A picture for the calendar button (a resource path); false when it cannot be loaded.
    bool SetGlyph(const QString& resourcePath);

    // Shows the message through MensErro and aborts when the text is not a date of the style;
    // an empty edit is valid.
    void CheckValidDate();

signals:
    void dateChanged(); // the text changed, from code or from the user
    void dateEdited();  // the user typed or picked a date

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct DayLabel {
        QString text;
        QFont font;
        QRect rect;
    };
    DayLabel dayLabel() const;
    void updateDayLabel();
    void updateLook();
    void placeButton();
    void ensureCalendar();
    void showCalendar();
    void calendarPicked(const QDate& date);
    void setShownText(const QString& text);

    int m_style = 0;
    bool m_showDia = true;
    bool m_keepTime = false;
    QTime m_time{0, 0};
    QColor m_validColor{0, 0, 0xFF};
    QColor m_normalText;
    QStringList m_dayNames;
    QString m_glyphPath;
    DayLabel m_dayLabel; // what paintEvent draws
    QToolButton* m_button = nullptr;
    QFrame* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
};
