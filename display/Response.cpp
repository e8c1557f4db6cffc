#include "display/Response.h"
