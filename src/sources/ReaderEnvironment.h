#pragma once

namespace velmora {

class Accessibility;
class SerialExecutor;
class Scheduler;
class Clock;

// What every caption reader needs from its surroundings. The accessibility queue is where all
// accessibility queries run; the scheduler paces the polls; the clock stamps the entries.
struct ReaderEnvironment {
    Accessibility& accessibility;
    SerialExecutor& accessibilityQueue;
    Scheduler& scheduler;
    const Clock& clock;
};

} // namespace velmora
