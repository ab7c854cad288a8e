#pragma once

// Small databases built record by record for the GUI tests: the builders all the tests share.

#include "tests/TestDbBuild.h"
