#pragma once

// The floating Command Deck window, as its controller sees it. Built on first show, then only
// placed, shown and hidden; its content follows the controller and the app state by itself.
class DeckPanel
{
public:
    virtual ~DeckPanel() = default;
    // Places the panel (centred, 40 points above the middle), brings it to the front and gives
    // it the keyboard.
    virtual void show() = 0;
    virtual void hide() = 0;
};
