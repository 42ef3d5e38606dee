#pragma once

// The floating focus heads-up display, as the focus coach and the app state see it. Its content
// follows the coach by itself; this only puts it on screen and takes it off.
class FocusHud
{
public:
    virtual ~FocusHud() = default;
    // Places it in the top-right corner and brings it to the front, without taking the focus.
    virtual void show() = 0;
    virtual void hide() = 0;
};
