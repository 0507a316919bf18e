// Registers the data components (TADOIBQuery, TDataSource, TADOIBStringField) with the class
// registry, with every property that a lookup query of a form resource sets.
#include "data/DataClasses.h"
#include "data/TADOIBQuery.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSource.h"
#include "data/dtmDBGeral.h"
#include "forms/ClassRegistry.h"
#include "forms/FormReader.h"
#include "forms/PropertyValues.h"

#include <QJsonArray>

namespace PV = PropertyValues;

namespace {

template <class T> T* as(QObject* o) {
    return static_cast<T*>(o);
}

// An enumerated value: one of the names the host knows, anything else is a resource error.
QString oneOf(const QJsonValue& v, FormReader& r, const QStringList& allowed) {
    const QString s = PV::string(v, r);
    if (!allowed.contains(s))
        r.fail(QStringLiteral("unknown value '%1' (expected one of %2)").arg(s, allowed.join(", ")));
    return s;
}

// A set: a list of names, each one of the known ones.
QStringList setOf(const QJsonValue& v, FormReader& r, const QStringList& allowed) {
    const QStringList values = PV::lines(v, r);
    for (const QString& s : values)
        if (!allowed.contains(s))
            r.fail(QStringLiteral("unknown value '%1' (expected any of %2)").arg(s, allowed.join(", ")));
    return values;
}

// A reference to another component, kept by name and resolved when used.
QString reference(const QJsonValue& v, FormReader& r) {
    const QString s = PV::string(v, r);
    if (s.trimmed().isEmpty())
        r.fail(QStringLiteral("an empty reference"));
    return s;
}

int nonNegative(const QJsonValue& v, FormReader& r) {
    const int n = PV::integer(v, r);
    if (n < 0)
        r.fail(QStringLiteral("a number of zero or more is expected"));
    return n;
}

ComponentClass queryClass() {
    ComponentClass c{"TADOIBQuery", "TNonVisual", componentFactory<TADOIBQuery>(), {}, {}, {}};
    using Q = TADOIBQuery;
    c.properties["Active"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        // Opening while the resource is still being read would run before the fields exist.
        if (PV::boolean(v, r))
            r.fail(QStringLiteral("a query cannot be opened from its resource; open it from code"));
        as<Q>(o)->Close();
    };
    c.properties["ADOConnection"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOConnection(reference(v, r));
    };
    c.properties["DataBase"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetDataBase(reference(v, r));
    };
    c.properties["Transaction"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetTransaction(reference(v, r));
    };
    c.properties["DataSource"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetDataSource(reference(v, r));
    };
    c.properties["ADOCursorLocation"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOCursorLocation(oneOf(v, r, {"clUseClient", "clUseServer"}));
    };
    c.properties["ADOCursorType"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOCursorType(
            oneOf(v, r, {"ctUnspecified", "ctOpenForwardOnly", "ctKeyset", "ctDynamic", "ctStatic"}));
    };
    c.properties["ADOLockType"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOLockType(oneOf(
            v, r, {"ltUnspecified", "ltReadOnly", "ltPessimistic", "ltOptimistic", "ltBatchOptimistic"}));
    };
    c.properties["ADOMarshalOptions"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOMarshalOptions(oneOf(v, r, {"moMarshalAll", "moMarshalModifiedOnly"}));
    };
    c.properties["ADOCacheSize"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        const int n = PV::integer(v, r);
        if (n < 1)
            r.fail(QStringLiteral("the cache size must be 1 or more"));
        as<Q>(o)->SetADOCacheSize(n);
    };
    c.properties["ADOMaxRecords"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOMaxRecords(nonNegative(v, r));
    };
    c.properties["ADOEnableBCD"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOEnableBCD(PV::boolean(v, r));
    };
    c.properties["ADOFiltered"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOFiltered(PV::boolean(v, r));
    };
    c.properties["ADOPrepared"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOPrepared(PV::boolean(v, r));
    };
    c.properties["CachedUpdates"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetCachedUpdates(PV::boolean(v, r));
    };
    c.properties["ObjectView"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetObjectView(PV::boolean(v, r));
    };
    c.properties["AutoCalcFields"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetAutoCalcFields(PV::boolean(v, r));
    };
    c.properties["ParamCheck"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetParamCheck(PV::boolean(v, r));
    };
    c.properties["ADOExecuteOptions"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetADOExecuteOptions(
            setOf(v, r, {"eoAsyncExecute", "eoAsyncFetch", "eoAsyncFetchNonBlocking", "eoExecuteNoRecords"}));
    };
    c.properties["Constraints"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetConstraints(PV::lines(v, r));
    };
    c.properties["SQL"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetSQL(PV::lines(v, r));
    };
    c.properties["SQL_ORACLE"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetSQL_ORACLE(PV::lines(v, r));
    };
    c.properties["SQL_MSSQL"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetSQL_MSSQL(PV::lines(v, r));
    };
    c.properties["SQL_IB"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<Q>(o)->SetSQL_IB(PV::lines(v, r));
    };
    return c;
}

ComponentClass dataSourceClass() {
    ComponentClass c{"TDataSource", "TNonVisual", componentFactory<TDataSource>(), {}, {}, {}};
    c.properties["DataSet"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TDataSource>(o)->SetDataSetReference(reference(v, r));
    };
    return c;
}

ComponentClass stringFieldClass() {
    // Created inside its query: the reader hands the query as the parent.
    ComponentClass c{"TADOIBStringField", "TNonVisual", componentFactory<TADOIBStringField>(), {}, {}, {}};
    using F = TADOIBStringField;
    c.properties["FieldName"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        const QString name = PV::string(v, r);
        if (name.trimmed().isEmpty())
            r.fail(QStringLiteral("a field needs a field name"));
        if (!as<F>(o)->query())
            r.fail(QStringLiteral("a string field must be declared inside its query"));
        as<F>(o)->SetFieldName(name);
    };
    c.properties["DisplayLabel"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<F>(o)->SetDisplayLabel(PV::string(v, r));
    };
    c.properties["Size"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        const int n = PV::integer(v, r);
        if (n < 1)
            r.fail(QStringLiteral("the size of a string field must be 1 or more"));
        as<F>(o)->SetSize(n);
    };
    c.properties["Visible"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<F>(o)->SetVisible(PV::boolean(v, r));
    };
    c.properties["Required"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<F>(o)->SetRequired(PV::boolean(v, r));
    };
    return c;
}

} // namespace

void registerDataClasses() {
    // The data module registers itself as "dtmDBGeral", so resources can name its children.
    dtmDBGeral::instance();
    ClassRegistry& reg = ClassRegistry::instance();
    reg.add(queryClass());
    reg.add(dataSourceClass());
    reg.add(stringFieldClass());
}
