#pragma once
// Host exceptions. EAbort is the silent abort that ends the running action; EHostError carries a
// message meant for the user (database failures, bad resources, missing definitions).
#include "host_export.h"
#include <QString>
#include <exception>
#include <string>

class HOST_EXPORT EAbort : public std::exception {
public:
    const char* what() const noexcept override; // out of line: the type lives in the host library
};

class HOST_EXPORT EHostError : public std::exception {
public:
    explicit EHostError(QString message) : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override;

private:
    QString m_message;
    std::string m_utf8;
};

// A form resource or another definition the host reads is broken; the message names it.
class HOST_EXPORT EResourceError : public EHostError {
public:
    using EHostError::EHostError;
};

// What was to be created is there already (a database file, a report title).
class HOST_EXPORT EAlreadyExists : public EHostError {
public:
    using EHostError::EHostError;
};

// Shows text as an error message through the message sink; with abort true it then throws EAbort,
// so the caller never continues past it.
HOST_EXPORT void MensErro(const QString& text, bool abort);

// Throws EAbort.
[[noreturn]] HOST_EXPORT void Abort();
