#include "design/Kaiser.h"
