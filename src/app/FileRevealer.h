#pragma once

#include <QString>

namespace velmora {

// Shows one file selected in the desktop's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    virtual void revealFile(const QString& filePath) = 0;
};

} // namespace velmora
