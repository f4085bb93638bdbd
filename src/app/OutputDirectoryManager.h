#pragma once

#include "app/OutputDirectoryProvider.h"

#include <QSettings>

namespace velmora {

// The output folder as stored under "outputDirectory". A chosen folder that cannot be written
// is kept in the settings but not used until it can be.
class OutputDirectoryManager final : public OutputDirectoryProvider {
public:
    static constexpr auto userDefaultsKey = "outputDirectory";

    explicit OutputDirectoryManager(QSettings& defaults,
                                    QString defaultDirectory = standardDefaultDirectory());

    // The desktop's documents folder followed by "Velmora".
    static QString standardDefaultDirectory();
    // True when the folder exists and is writable, or does not exist yet and its nearest
    // existing ancestor is a writable folder other than the root.
    static bool isWritable(const QString& directory);

    QString defaultDirectory() const { return defaultDirectory_; }

    QString outputDirectory() const override;
    std::optional<QString> customDirectory() const override;
    void setCustomDirectory(const std::optional<QString>& path) override;

private:
    QSettings& defaults_;
    QString defaultDirectory_;
};

} // namespace velmora
