#include "fakes/LogCapture.h"

namespace velmora {

namespace {
LogCapture* active = nullptr;
}

LogCapture::LogCapture(const char* category) : category_(QString::fromLatin1(category)) {
    active = this;
    previous_ = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previous_);
    active = nullptr;
}

QStringList LogCapture::matching(const QString& prefix) const {
    QStringList found;
    for (const QString& message : messages_) {
        if (message.startsWith(prefix))
            found.append(message);
    }
    return found;
}

void LogCapture::handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (active && context.category && active->category_ == QLatin1String(context.category))
        active->messages_.append(message);
}

} // namespace velmora
