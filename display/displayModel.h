#pragma once
// The one owner of the display state. Every change goes through it: it keeps a
// copy of the state as it was, applies the change and then calls every
// listener, in the order they subscribed, with a pointer to that copy. So no
// widget can change what the others show without telling them, and each
// listener compares the two states to repaint only what moved.
#include <utility>

#include <wx/debug.h>

#include "display/closure.h"
#include "display/displayState.h"

typedef clSeq<const vTimelineDisplayState*> displayBroadcastType;
typedef displayBroadcastType::member displayListenerType;

// A listener's place in the broadcast, for as long as this object lives (or
// until close()). Move-only; a widget holds it as a member declared after its
// listener, so the listener leaves before it is gone. One connection per
// listener: closing it removes every occurrence of the listener.
class displayConnection {
public:
    displayConnection() = default;
    displayConnection(displayBroadcastType& broadcast_, displayListenerType* listener_)
        : broadcast(&broadcast_), listener(listener_)
    {
        broadcast->addMember(listener);
    }
    displayConnection(displayConnection&& other) noexcept
        : broadcast(std::exchange(other.broadcast, nullptr)), listener(other.listener)
    {
    }
    displayConnection& operator=(displayConnection&& other) noexcept
    {
        if (this != &other) {
            close();
            broadcast = std::exchange(other.broadcast, nullptr);
            listener = other.listener;
        }
        return *this;
    }
    ~displayConnection() { close(); }

    // Also allowed while the broadcast is calling.
    void close()
    {
        if (broadcast)
            std::exchange(broadcast, nullptr)->removeMember(listener);
    }

private:
    displayBroadcastType* broadcast = nullptr;
    displayListenerType* listener = nullptr;
};

class displayModel {
public:
    explicit displayModel(const vTimelineDisplayState& initial = vTimelineDisplayState()) : current(initial) {}
    ~displayModel() { wxASSERT_MSG(displayBroadcast.size() == 0, "a display listener outlives its model"); }

    const vTimelineDisplayState& state() const { return current; }

    // `edit(vTimelineDisplayState&)` changes the record; then every listener
    // learns the state before. Announced even when the edit changed nothing:
    // a drag step that stays put is still a step.
    template <typename Edit>
    void change(Edit&& edit)
    {
        const vTimelineDisplayState previous = current;
        edit(current);
        displayBroadcast(&previous);
    }
    void setView(double begin, double end)
    {
        change([&](vTimelineDisplayState& s) {
            s.viewBegin = begin;
            s.viewEnd = end;
        });
    }
    void setSelection(double begin, double end)
    {
        change([&](vTimelineDisplayState& s) {
            s.selectionBegin = begin;
            s.selectionEnd = end;
        });
    }
    // Replaces the record without telling anyone: for a rebuild of the panel,
    // whose new widgets read the state when they are made.
    void reset(const vTimelineDisplayState& s) { current = s; }

    displayConnection subscribe(displayListenerType* listener) { return displayConnection(displayBroadcast, listener); }
    // How many listeners are subscribed; for tests.
    int listenerCount() const { return displayBroadcast.size(); }

private:
    vTimelineDisplayState current;
    displayBroadcastType displayBroadcast;
};
