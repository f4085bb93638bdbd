#pragma once

#include "fakes/FakeAccessibility.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "sources/ReaderEnvironment.h"

namespace velmora {

// A reader's surroundings in a test: a scripted tree, queries run inline, virtual time.
struct FakeReaderEnvironment {
    FakeAccessibility ax;
    ImmediateExecutor queue;
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    ReaderEnvironment env{ax, queue, scheduler, clock};
};

} // namespace velmora
