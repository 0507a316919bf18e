#pragma once
#include "forms/THostControl.h"
#include "host_export.h"

#include <QLabel>

class HOST_EXPORT TLabel : public THostControl<QLabel> {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);

private:
    bool m_autoSize = true;
};
