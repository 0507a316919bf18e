#pragma once
// Checking a radio from code unchecks its siblings and, when it changes to checked, raises OnClick
// exactly as a user's click would, enabled or not. A user's click reaches OnClick through the
// guard on the change to checked only (clicking the checked radio raises nothing).
#include "forms/THostControl.h"
#include "host_export.h"

#include <QRadioButton>

class HOST_EXPORT TRadioButton : public THostControl<QRadioButton> {
    Q_OBJECT
public:
    explicit TRadioButton(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked);
    // Sets the state as a resource does: no event (handlers are not bound yet while streaming).
    void setCheckedQuietly(bool checked);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
