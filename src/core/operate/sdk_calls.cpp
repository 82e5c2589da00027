#include "operate/sdk_calls.h"

const SdkCalls& RealSdk() {
    static const SdkCalls calls;
    return calls;
}
