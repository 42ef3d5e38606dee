#pragma once

// The floating Command Deck window, as its controller sees it. Built on first show, then
// only shown, hidden and redrawn.
class DeckPanel
{
public:
    virtual ~DeckPanel() = default;
    // Places the panel (centred, 40 points above the middle), brings it to the front and
    // gives it the keyboard.
    virtual void show() = 0;
    virtual void hide() = 0;
    // Rebuilds the content from the controller's and the app state's current state.
    virtual void redraw() = 0;
};
