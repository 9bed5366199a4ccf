#pragma once

#include <stdexcept>
#include <string>

// Base of every error this program raises on purpose. The message is UTF-8 and is what the
// user reads; typeName() is what the two-line "异常类名称:" boxes name.
class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
    virtual const char* typeName() const noexcept { return "AppError"; }
};

// A failed HTTP exchange: no connection, TLS refused, time-out, or an error status.
// status() is the HTTP status when one arrived, else 0. Unreachable marks the failures that say
// nothing about the server's answer because none could come (no connection, no name, time-out):
// those are the ones a lesson can go on from with what it kept.
class HttpError : public AppError {
public:
    enum class Reach { Reached, Unreachable };
    HttpError(const std::string& message, long status = 0, Reach reach = Reach::Reached)
        : AppError(message), status_(status), reach_(reach) {}
    long status() const noexcept { return status_; }
    bool unreachable() const noexcept { return reach_ == Reach::Unreachable; }
    const char* typeName() const noexcept override { return "HttpError"; }

private:
    long status_;
    Reach reach_;
};

// The service answered with a SOAP fault; the message is the fault string.
class SoapFault : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "SoapFault"; }
};

// A SOAP call that cannot be made or whose reply envelope cannot be read.
class SoapError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "SoapError"; }
};

// The XML parser refused a document; the message is libxml2's.
class XmlParseError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "XmlParseError"; }
};

// A gzip reply that does not inflate; the message is zlib's.
class InflateError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "InflateError"; }
};

// A text that should hold a decimal number but does not.
class ConvertError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "ConvertError"; }
};

// A configuration file with a value that cannot be used.
class ConfigError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "ConfigError"; }
};

// A file that cannot be read or written.
class FileError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "FileError"; }
};
