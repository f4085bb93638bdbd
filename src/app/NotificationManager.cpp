#include "app/NotificationManager.h"

#include "app/Logging.h"
#include "app/NotificationError.h"

#include <QFileInfo>
#include <QUuid>

namespace velmora {

using Status = NotificationCenterProviding::AuthorizationStatus;
using Option = NotificationCenterProviding::AuthorizationOption;

NotificationManager::NotificationManager(NotificationCenterProviding& notificationCenter,
                                         FileRevealer& revealer)
    : notificationCenter_(notificationCenter), delegate_(revealer) {
    notificationCenter_.setDelegate(&delegate_);
}

NotificationManager::~NotificationManager() { notificationCenter_.setDelegate(nullptr); }

QCoro::Task<> NotificationManager::requestPermission() {
    try {
        auto request = notificationCenter_.requestAuthorization(Option::alert | Option::sound);
        const bool granted = co_await request;
        qCInfo(lcNotification, "Notification permission granted: %s", granted ? "true" : "false");
    } catch (const NotificationError& error) {
        qCWarning(lcNotification, "Notification permission request error: %s", error.what());
    }
}

QCoro::Task<> NotificationManager::showTranscriptSaved(QString filePath) {
    auto show = showAboutTranscript(QStringLiteral("Transcript Saved"), std::move(filePath));
    co_await show;
}

QCoro::Task<> NotificationManager::showTranscriptRecovered(QString filePath) {
    auto show = showAboutTranscript(QStringLiteral("Transcript Recovered"), std::move(filePath));
    co_await show;
}

QCoro::Task<> NotificationManager::showAboutTranscript(QString title, QString filePath) {
    try {
        auto statusTask = notificationCenter_.authorizationStatus();
        const Status status = co_await statusTask;
        if (status != Status::authorized) {
            qCInfo(lcNotification, "Notification not authorized (status: %s), skipping",
                   qUtf8Printable(NotificationCenterProviding::statusName(status)));
            co_return;
        }
    } catch (const NotificationError& error) {
        qCWarning(lcNotification, "Failed to post notification: %s", error.what());
        co_return;
    }

    NotificationCenterProviding::Request request;
    request.identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    request.title = title;
    request.body = filePath;
    request.userInfo.insert(QLatin1String(NotificationDelegate::filePathKey), filePath);
    try {
        auto adding = notificationCenter_.add(std::move(request));
        co_await adding;
        qCInfo(lcNotification, "Notification posted for: %s",
               qUtf8Printable(QFileInfo(filePath).fileName()));
    } catch (const NotificationError& error) {
        qCWarning(lcNotification, "Failed to post notification: %s", error.what());
    }
}

} // namespace velmora
