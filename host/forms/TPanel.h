#pragma once
#include "forms/THostControl.h"
#include "host_export.h"

#include <QFrame>

class HOST_EXPORT TPanel : public THostControl<QFrame> {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    void SetBevel(const QString& outer);

private:
    QString m_caption;
};
