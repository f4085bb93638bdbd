#pragma once

#include "app/OutputDirectoryProvider.h"

namespace velmora {

// An output directory given on the command line: it holds for this run and changes no setting.
class FixedOutputDirectory final : public OutputDirectoryProvider {
public:
    explicit FixedOutputDirectory(QString path) : path_(std::move(path)) {}
    QString outputDirectory() const override { return path_; }
    std::optional<QString> customDirectory() const override { return path_; }
    void setCustomDirectory(const std::optional<QString>&) override {}

private:
    QString path_;
};

} // namespace velmora
