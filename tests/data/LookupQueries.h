#pragma once
// The screen's three lookup queries, as its form resource declares them.
#include <QByteArray>
#include <QJsonObject>
#include <memory>

class TForm;
class TADOIBQuery;
class TDataSource;

namespace LookupQueries {
// A form resource document (class TForm) holding qryCliente, qryRamoAtiv and qryBairro with their
// fields and data sources; each data source is declared before its query.
QByteArray formResource();
} // namespace LookupQueries

// A form streamed from a resource document (by default the lookup queries above).
struct LookupForm {
    std::unique_ptr<TForm> form;
    LookupForm();
    explicit LookupForm(const QJsonObject& document);
    ~LookupForm();
    TADOIBQuery* query(const char* name) const;
    TDataSource* source(const char* name) const;

private:
    void read(const QJsonObject& document);
};
