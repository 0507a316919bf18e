#include "data/TADOIBStringField.h"

#include "data/TADOIBQuery.h"

TADOIBStringField::TADOIBStringField(QObject* parent) : QObject(parent) {}

TADOIBQuery* TADOIBStringField::query() const {
    return qobject_cast<TADOIBQuery*>(parent());
}
