#include "serial/command_port.h"
