// Everything the window tests share is in the header.
#include "support/gui_support.h"
