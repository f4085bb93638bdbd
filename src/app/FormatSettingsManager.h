#pragma once

#include "app/FormatSettingsProvider.h"

#include <QSettings>

namespace velmora {

// The format under "transcriptFormat"; anything but "plainText" means Markdown.
class FormatSettingsManager final : public FormatSettingsProvider {
public:
    static constexpr auto userDefaultsKey = "transcriptFormat";

    explicit FormatSettingsManager(QSettings& defaults) : defaults_(defaults) {}

    std::shared_ptr<const TranscriptFormatter> formatter() const override;
    TranscriptFormat transcriptFormat() const override;
    void setTranscriptFormat(TranscriptFormat format) override;

private:
    QSettings& defaults_;
};

} // namespace velmora
