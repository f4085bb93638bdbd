#pragma once

#include <QString>

#include <optional>

namespace velmora {

// Where transcripts, notes, summaries and the meeting history go.
class OutputDirectoryProvider {
public:
    virtual ~OutputDirectoryProvider() = default;

    // Absolute path of the folder to write into; it may not exist yet.
    virtual QString outputDirectory() const = 0;
    // The folder the user chose, whether or not it is usable right now.
    virtual std::optional<QString> customDirectory() const = 0;
    // nullopt goes back to the default folder.
    virtual void setCustomDirectory(const std::optional<QString>& path) = 0;
};

} // namespace velmora
