#pragma once

#include <QString>
#include <vector>

// The PostgreSQL road: a throw-away server (scripts/pg-demo) with the demo table at each size,
// the program's load (start-up, the grid's load, the first paint) in a process of its own beside
// psql's COPY of the same rows and psqlODBC alone (bench/driver_fetch.c, every column bound as
// text), and the program's peak memory. Prints the figures and the goals;
// the server is stopped and its folder removed at the end, also when a run fails.
int postgresBench(const QString& self, const std::vector<long>& sizes, int runs,
                  const QString& dataDir);
