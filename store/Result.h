// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <variant>

// Why there is no value, as the user will read it, and the engine's number
// for it where there is one (0: none), for code that must tell causes apart.
struct Failure {
    explicit Failure(QString why, int number = 0)
        : error(why.isEmpty() ? QStringLiteral("unknown error") : std::move(why)), code(number) {}
    QString error;
    int code;
};

// A value, or the reason there is none. Every fallible function of the
// program's logic returns one; handlers decide how to tell the user. A failure
// of any kind passes on as it is: `return other.failure();`.
template <typename T = std::monostate> class [[nodiscard]] Result {
  public:
    Result(T value) : m_value(std::move(value)) {} // NOLINT(*-explicit-*)
    Result(Failure failure)                        // NOLINT(*-explicit-*)
        : m_error(std::move(failure.error)), m_code(failure.code) {}

    [[nodiscard]] bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only for a result known to be ok: reaching for a missing value is a bug.
    [[nodiscard]] const T& value() const {
        if (!m_value) {
            qFatal("Result::value() on a failure: %s", qPrintable(m_error));
        }
        return *m_value;
    }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    [[nodiscard]] const QString& error() const { return m_error; }
    [[nodiscard]] int code() const { return m_code; }
    [[nodiscard]] Failure failure() const { return Failure(m_error, m_code); }

  private:
    std::optional<T> m_value;
    QString m_error;
    int m_code = 0;
};

using Status = Result<>;

inline Status success() {
    return Status(std::monostate{});
}
