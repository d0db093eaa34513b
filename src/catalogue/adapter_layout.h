#pragma once

// Where an adapter's N-pin plug sits in the 48-pin ZIF socket: at the bottom, so with
// P = (48 - N) / 2 socket pins P + 1 to P + N carry plug pins 1 to N.

namespace zelmo {

struct AdapterLayout {
    int AdapterPins = 48;
    int FirstSocketPin = 1; // socket pin of plug pin 1 (P + 1)
    int LastSocketPin = 48; // socket pin of plug pin N (P + N)

    // Socket pins are numbered 1 to 48.
    bool Used(int socketPin) const {
        return socketPin >= FirstSocketPin && socketPin <= LastSocketPin;
    }
    // Plug pin at a socket pin, 0 for a free socket pin.
    int PlugPin(int socketPin) const {
        return Used(socketPin) ? socketPin - FirstSocketPin + 1 : 0;
    }
    // Socket pin of plug pin k (1..N).
    int SocketPin(int plugPin) const { return FirstSocketPin + plugPin - 1; }
};

// An adapter pin count the creator accepts: even, 6 to 48.
bool validAdapterPinCount(int adapterPins);

// Layout for N; an invalid N gives an empty layout (no socket pin used).
AdapterLayout adapterLayout(int adapterPins);

} // namespace zelmo
