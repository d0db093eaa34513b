/* A remote-control library that lacks "Result": binding it must fail. */
#include "abi/remote_api.h"

void Init(void) {}
void Free(void) {}
int32_t CheckStatus(int32_t slot) {
    return slot == 0;
}
