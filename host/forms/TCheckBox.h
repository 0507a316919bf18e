#pragma once
// A check box raises no event of the host, whether changed by code or by the user.
#include "forms/THostControl.h"
#include "host_export.h"

#include <QCheckBox>

class HOST_EXPORT TCheckBox : public THostControl<QCheckBox> {
    Q_OBJECT
public:
    explicit TCheckBox(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
};
