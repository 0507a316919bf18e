#pragma once
// The rows of the demo database: the reference tables and clients generated from a fixed seed,
// so every run (and every database kind) holds the same rows. With the default size there are
// clients of the three types, birthdays in every month, several lines of business and branches,
// both origins, clients without a main address ('P'), a main address whose municipality is not
// registered, and the neighbourhood code "001" in every municipality plus a neighbourhood of an
// unregistered municipality (Sorocaba).
#include <QSqlDatabase>
#include <functional>

namespace DemoRows {
// Writes the reference tables and the clients in one transaction. Throws EHostError (and rolls
// back). progress, when given, is called with the clients written so far.
void write(QSqlDatabase& db, int clients, const std::function<void(int)>& progress = {});
} // namespace DemoRows
