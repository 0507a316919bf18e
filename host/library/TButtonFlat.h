#pragma once
// A flat speed button with a glyph (one bitmap holding the normal and the disabled image side by
// side), a hint and a click event. It takes no keyboard focus, like a toolbar button.
#include "forms/THostControl.h"
#include "host_export.h"

#include <QToolButton>

class HOST_EXPORT TButtonFlat : public THostControl<QToolButton> {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool SetGlyph(const QString& resourcePath);
    void SetNumGlyphs(int n);
    // A click from code: OnClick runs in the caller's frame, even while disabled.
    void Click() { raiseNotify(QStringLiteral("OnClick")); }

private:
    void applyGlyph();
    QPixmap m_glyph;
    int m_numGlyphs = 1;
};
