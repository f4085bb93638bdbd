#pragma once

#include "app/OnboardingProvider.h"

#include <QSettings>

namespace velmora {

// The finished-guide flag under "hasCompletedOnboarding"; absent means not finished.
class OnboardingManager final : public OnboardingProvider {
public:
    static constexpr auto userDefaultsKey = "hasCompletedOnboarding";

    explicit OnboardingManager(QSettings& defaults) : defaults_(defaults) {}

    bool hasCompletedOnboarding() const override;
    void markOnboardingCompleted() override;

private:
    QSettings& defaults_;
};

} // namespace velmora
