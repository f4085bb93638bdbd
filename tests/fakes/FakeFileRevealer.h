#pragma once

#include "app/FileRevealer.h"

#include <QStringList>

namespace velmora {

// Remembers every file it was asked to reveal.
class FakeFileRevealer final : public FileRevealer {
public:
    void revealFile(const QString& filePath) override { revealed.append(filePath); }
    QStringList revealed;
};

} // namespace velmora
