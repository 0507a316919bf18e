#pragma once
// Creating and dropping Firebird databases, which Qt's driver cannot do: through the Firebird
// client library (loaded at run time, the one Qt's driver uses). Works for the embedded engine
// (a local path) and for a server (the file is made by the server's own user).
#include "data/DatabaseUrl.h"

namespace FirebirdAdmin {
// Creates an empty UTF8 database. Throws EAlreadyExists when the file is there already, EHostError
// with Firebird's text on any other failure. Connects with the credentials given, else with
// DatabaseConnection::firebirdCredentials(url).
void createDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials = std::nullopt);
// Drops the database; nothing when it does not exist. Throws EHostError on other failures.
void dropDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials = std::nullopt);
// True when the client library can be loaded.
bool available();
} // namespace FirebirdAdmin
