// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

// A value, or the reason there is none. Every fallible function of the
// program's logic returns one; handlers decide how to tell the user.
template <typename T = std::monostate> class Result {
  public:
    Result(T value) : m_value(std::move(value)) {} // NOLINT(google-explicit-constructor)
    static Result failure(QString error) {
        Result result;
        result.m_error = error.isEmpty() ? QStringLiteral("unknown error") : std::move(error);
        return result;
    }

    [[nodiscard]] bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const T& value() const { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    [[nodiscard]] const QString& error() const { return m_error; }

  private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

using Status = Result<>;

inline Status success() {
    return Status(std::monostate{});
}
