// Remote control layer: the command dispatcher, script runner, network server and the
// auxiliary controller port.
#include "deck/local_vcr.h"
