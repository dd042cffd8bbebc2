#pragma once

// Told once per script line while the timeline loads (the disclaimer grows).
class ProgressListener {
public:
    virtual void Progress() = 0;

protected:
    ~ProgressListener() = default;
};
