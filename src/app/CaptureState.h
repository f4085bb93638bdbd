#pragma once

#include <QString>

namespace velmora {

// What the capture machinery is doing; `error` carries the text the user sees.
// `paused` is never set by the application, only tested for, and counts as capturing.
class CaptureState {
public:
    enum class Kind { idle, monitoring, capturing, paused, stopped, error };

    static CaptureState idle() { return CaptureState(Kind::idle); }
    static CaptureState monitoring() { return CaptureState(Kind::monitoring); }
    static CaptureState capturing() { return CaptureState(Kind::capturing); }
    static CaptureState paused() { return CaptureState(Kind::paused); }
    static CaptureState stopped() { return CaptureState(Kind::stopped); }
    static CaptureState error(QString message) { return CaptureState(Kind::error, std::move(message)); }

    Kind kind() const { return kind_; }
    // Empty unless this is an error.
    QString message() const { return message_; }
    bool isCapturingOrPaused() const { return kind_ == Kind::capturing || kind_ == Kind::paused; }

    bool operator==(const CaptureState& other) const = default;

private:
    explicit CaptureState(Kind kind, QString message = {}) : kind_(kind), message_(std::move(message)) {}

    Kind kind_;
    QString message_;
};

} // namespace velmora
