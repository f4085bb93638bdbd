#pragma once

namespace velmora {

// Where the controller's capture lifecycle stands. Only one transition runs at a time; the
// phase says which one (starting, finishing) or what holds between them.
enum class CapturePhase {
    idle,         // not watching: before start-up, without permission, or after a failure
    monitoring,   // watching for captions, no meeting open
    starting,     // creating or resuming a meeting for captions that appeared
    capturing,    // a session writes the meeting's transcript
    finishing,    // a meeting's session is ending or its transcript is being finalised
    cooldown,     // captions ended; the meeting's transcript stays open for a short while
    shuttingDown, // the application is quitting: nothing new starts
};

} // namespace velmora
