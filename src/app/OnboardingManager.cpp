#include "app/OnboardingManager.h"

namespace velmora {

bool OnboardingManager::hasCompletedOnboarding() const {
    return defaults_.value(QLatin1String(userDefaultsKey), false).toBool();
}

void OnboardingManager::markOnboardingCompleted() {
    defaults_.setValue(QLatin1String(userDefaultsKey), true);
}

} // namespace velmora
