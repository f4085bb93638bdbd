#pragma once

#include "capture/CancelToken.h"
#include "summary/ModelAvailability.h"
#include "summary/PartialSummary.h"

#include <QByteArray>
#include <QCoroTask>
#include <QString>

namespace velmora {

// A language model that answers one prompt with the three summary lists. Every request stands
// alone: no conversation is carried over. Main thread.
class LanguageModel {
public:
    virtual ~LanguageModel() = default;

    // `schema` is the JSON schema of the answer (an object with the three lists and their
    // descriptions). Throws LanguageModelError.
    virtual QCoro::Task<PartialSummary> respond(QString prompt, QByteArray schema,
                                                CancelToken cancel) = 0;
    virtual QCoro::Task<ModelAvailability> availability() = 0;
    // For the log and the command line: which model at which address.
    virtual QString description() const = 0;
};

} // namespace velmora
