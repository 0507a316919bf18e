#include "reporting/TParams.h"

#include "core/Errors.h"

void TParam::SetAsString(const QString& value) {
    m_kind = Kind::String;
    m_value = value;
}

void TParam::SetAsDateTime(TDateTime value) {
    m_kind = Kind::DateTime;
    m_value = value;
}

void TParam::SetAsVariant(const QVariant& value) {
    m_kind = Kind::Variant;
    m_value = value;
}

QVariant TParam::bindValue() const {
    switch (m_kind) {
    case Kind::Unset:
        return QVariant(QMetaType::fromType<QString>());
    case Kind::DateTime:
        return HostDate::toDateTime(m_value.toDouble());
    default:
        // A text set from a null QString is still a text: an empty one, never NULL.
        if (m_value.metaType().id() == QMetaType::QString && m_value.toString().isNull())
            return QStringLiteral("");
        return m_value;
    }
}

TParams::TParams(QObject* parent) : QObject(parent) {}
TParams::~TParams() = default;

void TParams::Add(const QString& name) {
    if (!FindParam(name))
        m_params.push_back(std::make_unique<TParam>(name));
}

QStringList TParams::Names() const {
    QStringList out;
    for (const auto& p : m_params)
        out << p->Name();
    return out;
}

TParam* TParams::FindParam(const QString& name) const {
    for (const auto& p : m_params)
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name) const {
    if (TParam* p = FindParam(name))
        return *p;
    throw EHostError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name));
}

bool ExistParam(const TParams* params, const QString& name) {
    return params && params->FindParam(name);
}
