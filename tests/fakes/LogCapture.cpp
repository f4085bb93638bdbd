#include "LogCapture.h"

#include <QMutexLocker>

#include <atomic>

namespace velmora {

namespace {
std::atomic<LogCapture*> active{nullptr};
}

LogCapture::LogCapture() {
    active = this;
    previous_ = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previous_);
    active = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    LogCapture* capture = active;
    if (!capture)
        return;
    QMutexLocker lock(&capture->mutex_);
    capture->messages_.append({QString::fromUtf8(context.category ? context.category : ""), type, text});
}

QList<LogCapture::Message> LogCapture::messages() const {
    QMutexLocker lock(&mutex_);
    return messages_;
}

qsizetype LogCapture::count(const QString& category, const QString& fragment) const {
    QMutexLocker lock(&mutex_);
    return std::count_if(messages_.cbegin(), messages_.cend(), [&](const Message& message) {
        return message.category == category && message.text.contains(fragment);
    });
}

} // namespace velmora
