#include "ChromiumTest.h"

#include <stdexcept>

namespace velmora::e2e {

namespace {

std::unique_ptr<BrowserSession> running;
std::string startFailure;

// Stops the browser and the private desktop when the test program ends.
class SessionEnvironment : public ::testing::Environment {
public:
    void TearDown() override { running.reset(); }
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new SessionEnvironment);

} // namespace

BrowserSession& session() {
    // Every test that needs the browser fails with the reason; it is tried once.
    if (!startFailure.empty())
        throw std::runtime_error(startFailure);
    if (!running) {
        try {
            running = std::make_unique<BrowserSession>();
        } catch (const std::exception& error) {
            startFailure = std::string("cannot start the real-browser test session: ") + error.what();
            throw std::runtime_error(startFailure);
        }
    }
    return *running;
}

} // namespace velmora::e2e
