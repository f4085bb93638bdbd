#pragma once

#include <glib-object.h>

#include <utility>

namespace velmora {

// Owns one reference to a GObject. Only ever used on the accessibility thread.
template <typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over a reference the caller already owns.
    static GObjectRef adopt(T* object) {
        GObjectRef ref;
        ref.object_ = object;
        return ref;
    }
    // Adds a reference of its own.
    static GObjectRef share(T* object) {
        if (object)
            g_object_ref(object);
        return adopt(object);
    }
    GObjectRef(const GObjectRef& other) : object_(other.object_) {
        if (object_)
            g_object_ref(object_);
    }
    GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectRef& operator=(GObjectRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~GObjectRef() {
        if (object_)
            g_object_unref(object_);
    }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

} // namespace velmora
