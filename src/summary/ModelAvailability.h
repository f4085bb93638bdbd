#pragma once

namespace velmora {

// What a model server says when asked whether it can answer.
enum class ModelAvailability {
    available,
    notRunning, // nothing listens at the address
    loading, // the server runs but its model is still loading
    unknown, // it answers, but not like a model server
};

} // namespace velmora
