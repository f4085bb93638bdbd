#include "app/LanguageModelProbe.h"

#include "app/Logging.h"

namespace velmora::LanguageModelProbe {

namespace {

int hope(ModelAvailability availability) {
    switch (availability) {
    case ModelAvailability::available: return 3;
    case ModelAvailability::loading: return 2;
    case ModelAvailability::unknown: return 1;
    case ModelAvailability::notRunning: return 0;
    }
    return 0;
}

} // namespace

QCoro::Task<LanguageModelStatus> check(Models models) {
    std::optional<LanguageModelStatus> best;
    for (const std::shared_ptr<LanguageModel>& model : models) {
        ModelAvailability availability = ModelAvailability::unknown;
        try {
            auto asking = model->availability();
            availability = co_await asking;
        } catch (const std::exception& error) {
            qCWarning(lcApp) << "Model availability check failed:" << error.what();
        }
        const LanguageModelStatus status{availability, model->description()};
        if (availability == ModelAvailability::available)
            co_return status;
        if (!best || hope(availability) > hope(best->availability))
            best = status;
    }
    co_return best.value_or(LanguageModelStatus{ModelAvailability::notRunning, QString()});
}

} // namespace velmora::LanguageModelProbe
