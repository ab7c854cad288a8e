#include "tests/TestUtil.h"
