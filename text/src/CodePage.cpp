#include "text/Text.h"
