// Compiled with the deck layer's include roots only: the remote header must not be found.
#include "deck/local_vcr.h"
#include "remote/dispatcher.h"
