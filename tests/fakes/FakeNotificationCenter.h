#pragma once

#include "app/NotificationCenterProviding.h"
#include "app/NotificationError.h"

#include <QList>

#include <optional>

namespace velmora {

// An in-memory notification centre: a scripted status, optional failures, the requests added.
class FakeNotificationCenter final : public NotificationCenterProviding {
public:
    QCoro::Task<bool> requestAuthorization(AuthorizationOptions options) override {
        requestedOptions.append(options);
        if (failure)
            throw NotificationError(*failure);
        co_return status == AuthorizationStatus::authorized;
    }
    QCoro::Task<AuthorizationStatus> authorizationStatus() override { co_return status; }
    QCoro::Task<> add(Request request) override {
        if (failure)
            throw NotificationError(*failure);
        added.append(std::move(request));
        co_return;
    }
    void setDelegate(NotificationDelegate* newDelegate) override { delegate = newDelegate; }
    QString statusDescription(AuthorizationStatus value) const override { return statusName(value); }

    AuthorizationStatus status = AuthorizationStatus::authorized;
    std::optional<QString> failure;
    QList<AuthorizationOptions> requestedOptions;
    QList<Request> added;
    NotificationDelegate* delegate = nullptr;
};

} // namespace velmora
