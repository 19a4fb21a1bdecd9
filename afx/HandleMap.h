// Per-thread maps from handles to objects. Windows attached by the layer have one
// permanent object each; any other handle met through FromHandle gets a temporary
// wrapper that owns nothing and lives until its handle is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <unordered_map>

namespace afx {

// Wrappers of handles that nothing of ours owns. `Alive` tells whether a handle still
// names an object; dead entries are dropped when a new wrapper is made, so the map stays
// as small as the set of live handles it has seen. `Release` empties a wrapper before it
// is freed, so that freeing it never destroys what it wraps.
template <class Handle, class Object, bool (*Alive)(Handle), void (*Release)(Object&)>
class TemporaryMap {
public:
    TemporaryMap() = default;
    TemporaryMap(const TemporaryMap&) = delete;
    TemporaryMap& operator=(const TemporaryMap&) = delete;
    ~TemporaryMap() {
        for (auto& [handle, object] : objects_)
            Release(*object);
    }

    template <class Make>
    Object* Get(Handle handle, Make make) {
        auto found = objects_.find(handle);
        if (found != objects_.end())
            return found->second.get();
        DropDead();
        return objects_.emplace(handle, make(handle)).first->second.get();
    }

private:
    void DropDead() {
        for (auto it = objects_.begin(); it != objects_.end();) {
            if (Alive(it->first)) {
                ++it;
            } else {
                Release(*it->second);
                it = objects_.erase(it);
            }
        }
    }

    std::unordered_map<Handle, std::unique_ptr<Object>> objects_;
};

}  // namespace afx
