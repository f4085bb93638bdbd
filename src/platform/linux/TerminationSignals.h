#pragma once

#include <QObject>

#include <functional>

namespace velmora::TerminationSignals {

// Turns SIGINT and SIGTERM into one call of `handler` on the main thread, while `context` lives.
void onTermination(QObject* context, std::function<void()> handler);

} // namespace velmora::TerminationSignals
