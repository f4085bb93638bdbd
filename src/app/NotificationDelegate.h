#pragma once

#include <QVariantMap>

namespace velmora {

class FileRevealer;

// Answers a click on one of our notifications: the transcript it names is revealed.
class NotificationDelegate {
public:
    static constexpr auto filePathKey = "filePath";

    explicit NotificationDelegate(FileRevealer& revealer) : revealer_(revealer) {}

    void didReceiveResponse(const QVariantMap& userInfo);

private:
    FileRevealer& revealer_;
};

} // namespace velmora
