#pragma once

#include <QString>
#include <stdexcept>

namespace solvane {

// The one exception type of the program: a database, file or conversion error
// whose text is shown to the user as it stands in the standard error box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// An error the database engine reported (a full disk, an I/O error, the file
// locked by another program...), with the engine's primary result code. When
// it cost the running action its transaction, the action is lost as a whole:
// its owner rolls it back and reads every open data set again.
class StoreError : public Error {
public:
    StoreError(const QString& message, int code) : Error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace solvane
