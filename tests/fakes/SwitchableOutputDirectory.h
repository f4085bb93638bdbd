#pragma once

#include "app/OutputDirectoryProvider.h"

namespace velmora {

// An output folder the test moves, as the settings page or a drive mounted later would.
class SwitchableOutputDirectory final : public OutputDirectoryProvider {
public:
    explicit SwitchableOutputDirectory(QString path) : path(std::move(path)) {}
    QString outputDirectory() const override { return path; }
    std::optional<QString> customDirectory() const override { return path; }
    void setCustomDirectory(const std::optional<QString>& custom) override {
        if (custom)
            path = *custom;
    }

    QString path;
};

} // namespace velmora
