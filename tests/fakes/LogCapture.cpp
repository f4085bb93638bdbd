#include "fakes/LogCapture.h"

#include <QMutexLocker>

#include <atomic>

namespace velmora {

namespace {
std::atomic<LogCapture*> active{nullptr};
}

LogCapture::LogCapture() : LogCapture(nullptr) {}

LogCapture::LogCapture(const char* category) : category_(QString::fromLatin1(category)) {
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
    const QString category = QString::fromUtf8(context.category ? context.category : "");
    if (!capture->category_.isEmpty() && capture->category_ != category)
        return;
    QMutexLocker lock(&capture->mutex_);
    capture->messages_.append({category, type, text});
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

QStringList LogCapture::matching(const QString& prefix) const {
    QMutexLocker lock(&mutex_);
    QStringList found;
    for (const Message& message : messages_) {
        if (message.text.startsWith(prefix))
            found.append(message.text);
    }
    return found;
}

void LogCapture::clear() {
    QMutexLocker lock(&mutex_);
    messages_.clear();
}

} // namespace velmora
