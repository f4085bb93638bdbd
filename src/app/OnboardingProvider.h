#pragma once

namespace velmora {

// Whether the first-run guide has been finished.
class OnboardingProvider {
public:
    virtual ~OnboardingProvider() = default;
    virtual bool hasCompletedOnboarding() const = 0;
    virtual void markOnboardingCompleted() = 0;
};

} // namespace velmora
