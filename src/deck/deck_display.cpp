#include "deck/deck_display.h"
