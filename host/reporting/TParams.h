#pragma once
// The parameter list of a report query: exactly the parameters that the query declares.
#include "core/DateTime.h"
#include "host_export.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class HOST_EXPORT TParam {
public:
    enum class Kind { Unset, String, DateTime, Variant };

    explicit TParam(QString name) : m_name(std::move(name)) {}

    const QString& Name() const { return m_name; }
    void SetAsString(const QString& value);
    void SetAsDateTime(TDateTime value);
    void SetAsVariant(const QVariant& value);

    Kind kind() const { return m_kind; }
    const QVariant& Value() const { return m_value; }
    bool IsSet() const { return m_kind != Kind::Unset; }
    // What the parameter binds as: dates as QDateTime, an unset parameter as NULL.
    QVariant bindValue() const;

private:
    QString m_name;
    Kind m_kind = Kind::Unset;
    QVariant m_value;
};

class HOST_EXPORT TParams : public QObject {
    Q_OBJECT
public:
    explicit TParams(QObject* parent = nullptr);
    ~TParams() override;

    // Adds a parameter (a name declared twice is one parameter).
    void Add(const QString& name);
    int Count() const { return int(m_params.size()); }
    TParam& Item(int i) const { return *m_params.at(size_t(i)); }
    QStringList Names() const;

    // Parameter names match without regard to case, as in the report's SQL.
    TParam* FindParam(const QString& name) const;
    // The parameter of that name; an unknown name is an error naming it.
    TParam& ParamByName(const QString& name) const;

private:
    std::vector<std::unique_ptr<TParam>> m_params;
};

// True when the list holds a parameter of that name.
HOST_EXPORT bool ExistParam(const TParams* params, const QString& name);
