#pragma once
// A string field of a query, declared as a child component of its TADOIBQuery in the form
// resource. It names a column of the query's result (matched without regard to case: Firebird
// answers in upper case, SQLite as the text was written) and says how the lookup shows it.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QObject>
#include <QString>

class TADOIBQuery;

class HOST_EXPORT TADOIBStringField : public QObject, public TComponent {
    Q_OBJECT
public:
    // The width of a string field whose resource gives no Size.
    static constexpr int DefaultSize = 20;

    explicit TADOIBStringField(QObject* parent = nullptr);
    QObject* asObject() override { return this; }

    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& name) { m_fieldName = name; }
    // The caption of the field's column: the field name when no label was given.
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel; }
    void SetDisplayLabel(const QString& label) { m_displayLabel = label; }
    int Size() const { return m_size; }
    void SetSize(int size) { m_size = size; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool Required() const { return m_required; }
    void SetRequired(bool required) { m_required = required; }

    // The query that owns the field (its parent), or null.
    TADOIBQuery* query() const;

private:
    QString m_fieldName;
    QString m_displayLabel;
    int m_size = DefaultSize;
    bool m_visible = true;
    bool m_required = false;
};
