#pragma once

// The floating waveform shown while a recording runs.
class DockStation
{
public:
    virtual ~DockStation() = default;
    virtual void show() = 0;
    virtual void setLevel(float level) = 0; // 0…1
    virtual void hide() = 0;
};
