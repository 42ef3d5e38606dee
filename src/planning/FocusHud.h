#pragma once

// The floating focus heads-up display, as the focus coach and the app state see it.
class FocusHud
{
public:
    virtual ~FocusHud() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Redraws from the coach's current state, if the panel exists.
    virtual void redraw() = 0;
};
