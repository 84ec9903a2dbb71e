// The zelvan executable: the headless client.
#include <cstdio>

#include "platform/foundation/log.h"

int main() {
    fnd::logLine("zelvan: starting");
    return 0;
}
