#pragma once
// Creating and dropping PostgreSQL databases, through the server's maintenance database "postgres"
// with the same user and password (CREATE DATABASE cannot run inside the database it makes).
#include "data/DatabaseUrl.h"

namespace PostgresAdmin {
// Creates an empty database (UTF8, the server's template). Throws EAlreadyExists when it is there
// already, EHostError with the server's text on any other failure. Connects with the credentials
// given, else with the dialect's.
void createDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials = std::nullopt);
// Drops the database, ending the sessions still on it; nothing when it does not exist. Throws
// EHostError on other failures.
void dropDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials = std::nullopt);
} // namespace PostgresAdmin
