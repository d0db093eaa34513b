#include "catalogue/adapter_layout.h"

namespace zelmo {

bool validAdapterPinCount(int adapterPins) {
    return adapterPins >= 6 && adapterPins <= 48 && adapterPins % 2 == 0;
}

AdapterLayout adapterLayout(int adapterPins) {
    AdapterLayout layout;
    if (!validAdapterPinCount(adapterPins)) {
        layout.AdapterPins = 0;
        layout.FirstSocketPin = 1;
        layout.LastSocketPin = 0;
        return layout;
    }
    const int p = (48 - adapterPins) / 2;
    layout.AdapterPins = adapterPins;
    layout.FirstSocketPin = p + 1;
    layout.LastSocketPin = p + adapterPins;
    return layout;
}

} // namespace zelmo
