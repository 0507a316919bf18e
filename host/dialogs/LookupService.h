#pragma once
// The multiple-choice lookup, shown modally. The application installs the one with the Qt lookup
// dialog; tests install a scripted one. Until then a lookup is cancelled.
#include "host_export.h"
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TDataSource;

struct HOST_EXPORT LookupRequest {
    TDataSource* dataSource = nullptr; // rows to choose from: its dataset's current result
    QString keyField;                  // field whose values make up the selection
    QString title;
    bool flag = false;
    QStringList preselected; // keys already in the selection text
};

class HOST_EXPORT LookupService {
public:
    virtual ~LookupService();

    // The keys of the chosen rows in row order, or nothing when the user cancelled.
    virtual std::optional<QStringList> chooseFromList(const LookupRequest& request) = 0;

    static LookupService& instance();
    // Installs a service (the application's or a test's); returns the previous one.
    static std::unique_ptr<LookupService> install(std::unique_ptr<LookupService> service);
};
