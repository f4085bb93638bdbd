#pragma once

#include <QCoroTask>
#include <QString>

#include <exception>
#include <optional>

namespace velmora {

// Runs a task to completion, pumping the Qt event loop (serial queues resume through it).
// QCoro::waitFor alone would never return from a task that throws.
template <typename T>
struct Awaited {
    std::optional<T> value;
    std::optional<QString> error; // what() of the exception, if one was thrown
};

template <typename T>
QCoro::Task<Awaited<T>> catching(QCoro::Task<T> task) {
    Awaited<T> result;
    try {
        result.value = co_await task;
    } catch (const std::exception& error) {
        result.error = QString::fromUtf8(error.what());
    }
    co_return result;
}

inline QCoro::Task<std::optional<QString>> catchingVoid(QCoro::Task<> task) {
    std::optional<QString> error;
    try {
        co_await task;
    } catch (const std::exception& exception) {
        error = QString::fromUtf8(exception.what());
    }
    co_return error;
}

template <typename T>
Awaited<T> awaitTask(QCoro::Task<T> task) {
    return QCoro::waitFor(catching(std::move(task)));
}

// The error message, or none when the task succeeded.
inline std::optional<QString> awaitVoid(QCoro::Task<> task) {
    return QCoro::waitFor(catchingVoid(std::move(task)));
}

} // namespace velmora
