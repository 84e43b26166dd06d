#pragma once

#include "support/PostgresServer.h"

// The one PostgreSQL server of this test program: started before the first test, stopped and
// removed after the last.
PostgresServer& postgres();
