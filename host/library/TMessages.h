#pragma once
// A message table: lines "key|text". Keys match without regard to case; the text is everything
// after the first "|", blanks kept. A missing key is an error that names it.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QObject>
#include <QStringList>

class HOST_EXPORT TMessages : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TMessages(QObject* parent = nullptr);
    QObject* asObject() override { return this; }

    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines) { m_lines = lines; }
    QString Msg(const QString& key) const;
    bool HasKey(const QString& key) const;

private:
    QStringList m_lines;
};
