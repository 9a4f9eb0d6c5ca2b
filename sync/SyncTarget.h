// What one bound track drives: a setter and the object it sets (a layer's
// alpha, a scene's fog end, a shader's uniform). A plain pair rather than a
// class hierarchy: a frame calls a thousand of them, and sync/ need not know
// what layers and scenes are; whoever binds the names supplies the setters.
#ifndef HALVENOR_SYNC_SYNCTARGET_H
#define HALVENOR_SYNC_SYNCTARGET_H

struct SyncTarget {
    using Setter = void (*)(const SyncTarget& target, float value);

    Setter set = nullptr;
    void* object = nullptr;
    // What the setter needs besides the value (a window's height, an index).
    float parameter = 0.0f;

    bool Bound() const { return set != nullptr; }
    void Set(float value) const { set(*this, value); }
};

#endif
