#pragma once

#include "summary/LanguageModel.h"
#include "summary/ModelAvailability.h"

#include <QCoroTask>
#include <QString>

#include <memory>
#include <vector>

namespace velmora {


// What the settings page says about the language model.
struct LanguageModelStatus {
    ModelAvailability availability = ModelAvailability::unknown;
    QString server; // the model and address that gave the answer
};

// Asks the model servers a summary would use whether one can answer now.
namespace LanguageModelProbe {

using Models = std::vector<std::shared_ptr<LanguageModel>>;

// The first available server wins; otherwise the most hopeful answer: loading, then a server
// that answers oddly, then nothing running. No servers at all counts as not running.
QCoro::Task<LanguageModelStatus> check(Models models);

} // namespace LanguageModelProbe

} // namespace velmora
