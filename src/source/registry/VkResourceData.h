#pragma once

// Format state shared by every reader of one source (an open index, a parsed header, a cache).
// Sources hold it through a shared pointer, so it lives as long as the last reader that uses it.
class VkResourceData {
public:
    virtual ~VkResourceData() = default;
};
